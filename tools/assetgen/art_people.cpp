#include "art_people.h"

#include <cmath>

namespace lum::art {

using Pts = std::vector<std::pair<double, double>>;

const std::vector<std::string> kLookKeys = {
    "skin",  "hair",        "eyes",  "outfit", "accent", "bg",   "hair_style", "eye_shape",
    "mouth", "outfit_kind", "extra", "age",    "weapon", "body", "sex"};

Look read_look(const assets::Recipe& r) {
    Look l;
    l.skin = r.colour("skin", l.skin);
    l.hair = r.colour("hair", l.hair);
    l.eyes = r.colour("eyes", l.eyes);
    l.outfit = r.colour("outfit", l.outfit);
    l.accent = r.colour("accent", l.accent);
    l.bg = r.colour("bg", l.bg);
    l.hair_style =
        r.word("hair_style",
               {"short", "long", "twin", "pony", "bob", "spiky", "bald", "hood", "wild", "swept"},
               "short");
    l.eye_shape = r.word("eye_shape", {"round", "sharp", "sleepy", "closed", "glow"}, "round");
    l.mouth = r.word("mouth", {"smile", "neutral", "frown", "grin", "open", "fang"}, "neutral");
    l.outfit_kind =
        r.word("outfit_kind",
               {"tunic", "robe", "armour", "dress", "coat", "uniform", "cloak", "rags"}, "tunic");
    l.extra = r.word("extra",
                     {"none", "ribbon", "circlet", "witch_hat", "helmet", "glasses", "horns",
                      "cat_ears", "crown", "beard", "eyepatch", "scar", "headband", "veil",
                      "flower", "halo", "mask", "bandana", "feather"},
                     "none");
    l.age = r.word("age", {"child", "young", "adult", "old"}, "young");
    l.weapon =
        r.word("weapon",
               {"none", "sword", "bow", "gun", "staff", "lance", "fists", "mace", "scythe", "fan",
                "book", "card", "axe", "dagger", "orb", "whip", "claw", "greatsword", "harp"},
               "none");
    l.body =
        r.word("body", {"normal", "big", "small", "beast", "slime", "ghost", "robot"}, "normal");
    l.female = r.word("sex", {"m", "f"}, "m") == "f";
    return l;
}

Rgb sprite_key() {
    return rgb(0x4C6A8C);
}

namespace {

void hair_texture(Canvas& c, const Mask& hair, const Ramp& r, Rng& rng, int n) {
    // A few strands and a band of shine sell the hair as hair rather than a blob.
    for (int i = 0; i < n; ++i) {
        int x = 30 + rng.uniform(68), y = 30 + rng.uniform(24);
        int len = 6 + rng.uniform(10);
        double dx = (x < 64 ? -0.35 : 0.35);
        for (int k = 0; k < len; ++k) {
            int px = x + static_cast<int>(dx * k), py = y + k;
            if (hair.at(px, py) && hair.at(px, py + 2) && hair.at(px - 1, py) &&
                hair.at(px + 1, py))
                c.set(px, py, r.shadow);
        }
    }
}

struct HeadFrame {
    double cx = 64, cy = 60, rx = 23, ry = 26;
    double eye_y = 66, eye_dx = 11;
};

}  // namespace

Canvas draw_portrait(const Look& L, uint64_t seed) {
    Rng rng(seed);
    const int S = 128;
    Canvas c(S, S);
    // Background: a dithered gradient with soft lights behind the figure.
    c.vgradient(0, 0, S, S, mix(L.bg, rgb(0xFFFFFF), 0.18), scale(L.bg, 0.45), 8);
    for (int i = 0; i < 7; ++i) {
        Mask m(S, S);
        double r = 6 + rng.uniform(12);
        m.ellipse(rng.uniform(S), rng.uniform(90), r, r);
        c.dither(m, c.get(0, 0), mix(L.bg, rgb(0xFFFFFF), 0.3), 0.25);
    }

    HeadFrame h;
    bool child = L.age == "child", old = L.age == "old";
    if (child) h = {64, 64, 24, 24, 70, 11};
    if (L.female && !child) h.rx = 22, h.ry = 25;
    if (L.body == "big") h.rx += 3;

    Ramp skin = ramp(L.skin), hair = ramp(L.hair), outfit = ramp(L.outfit), accent = ramp(L.accent);
    if (old) hair = ramp(mix(L.hair, rgb(0xD8D8E0), 0.55));

    // Hair behind the head.
    Mask back(S, S);
    const std::string& hs = L.hair_style;
    if (hs == "long") {
        back.polygon({{34, 40}, {94, 40}, {104, 118}, {90, 128}, {38, 128}, {24, 118}});
        back.ellipse(64, 52, 34, 32);
    } else if (hs == "twin") {
        back.ellipse(64, 52, 32, 30);
        back.ellipse(24, 84, 11, 34).ellipse(104, 84, 11, 34);
    } else if (hs == "pony") {
        back.ellipse(64, 52, 32, 30);
        back.polygon({{84, 30}, {108, 36}, {116, 80}, {104, 104}, {96, 70}});
    } else if (hs == "bob") {
        back.ellipse(64, 60, 35, 34);
        back.rect(29, 60, 70, 30);
    } else if (hs == "wild") {
        back.ellipse(64, 56, 40, 38);
        for (int i = 0; i < 9; ++i) {
            double a = 3.14159 * (0.9 + i * 0.15);
            back.polygon({{64 + 30 * std::cos(a - 0.2), 56 + 30 * std::sin(a - 0.2)},
                          {64 + 50 * std::cos(a), 60 + 50 * std::sin(a) * 0.9},
                          {64 + 30 * std::cos(a + 0.2), 56 + 30 * std::sin(a + 0.2)}});
        }
        back.rect(26, 56, 76, 50);
    } else if (hs == "swept") {
        // A young man's cut: close to the head, nothing falls past the jaw.
        back.ellipse(64, 54, 32, 30);
    } else if (hs != "bald" && hs != "hood") {
        back.ellipse(64, 52, 31, 29);
    }
    if (hs == "hood") {
        Mask hood(S, S);
        hood.ellipse(64, 58, 38, 42).rect(26, 58, 76, 50);
        c.shade(hood, ramp(scale(L.outfit, 0.8)));
    } else if (!back.empty()) {
        c.shade(back, hair);
        Mask inner(S, S);
        inner.ellipse(64, 64, 26, 30);
        inner.intersect(back);
        c.paint(inner, hair.shadow);  // the inside of the hair falls in shade
    }

    // Shoulders and clothes.
    double sw = child ? 36 : (L.female ? 40 : 46);
    if (L.body == "big") sw += 8;
    Mask body(S, S);
    body.polygon({{64 - sw - 8, 128},
                  {64 - sw - 2, 106},
                  {64 - sw + 8, 97},
                  {54, 92},
                  {74, 92},
                  {64 + sw - 8, 97},
                  {64 + sw + 2, 106},
                  {64 + sw + 8, 128}});
    Mask neck(S, S);
    neck.rect(56, 78, 16, 18);
    c.shade(neck, skin, true, 2);
    for (int y = 78; y < 90; ++y)
        for (int x = 57; x < 71; ++x) c.set(x, y, skin.shadow);  // chin shadow
    const std::string& ok = L.outfit_kind;
    if (ok == "dress") {
        Mask cut(S, S);
        cut.ellipse(64, 98, 16, 10);
        Mask skin_part = cut;
        skin_part.intersect(body);
        body.subtract(cut);
        c.shade(skin_part, skin, false);
    }
    c.shade(body, outfit);
    if (ok == "tunic" || ok == "uniform") {
        Mask collar(S, S);
        collar.polygon({{50, 98}, {64, 112}, {78, 98}, {72, 98}, {64, 106}, {56, 98}});
        c.shade(collar, accent, true, 1);
    }
    if (ok == "uniform") {
        for (int y = 112; y < 128; y += 6) {
            Mask b(S, S);
            b.ellipse(64, y, 2, 2);
            c.shade(b, accent, false);
        }
    }
    if (ok == "coat") {
        Mask lapel(S, S);
        lapel.polygon({{52, 98}, {64, 128}, {46, 128}, {40, 104}});
        lapel.polygon({{76, 98}, {64, 128}, {82, 128}, {88, 104}});
        c.shade(lapel, accent);
    }
    if (ok == "robe" || ok == "cloak") {
        Mask mantle(S, S);
        mantle.polygon({{64 - sw - 8, 128},
                        {64 - sw, 106},
                        {50, 98},
                        {64, 108},
                        {78, 98},
                        {64 + sw, 106},
                        {64 + sw + 8, 128},
                        {64 + sw - 8, 128},
                        {64, 114},
                        {64 - sw + 8, 128}});
        c.shade(mantle, ok == "robe" ? accent : ramp(scale(L.outfit, 0.75)));
        Mask gem(S, S);
        gem.ellipse(64, 110, 4, 4);
        c.shade(gem, ramp(ok == "robe" ? L.eyes : L.accent), true, 1);
    }
    if (ok == "armour") {
        Mask plate(S, S);
        plate.ellipse(64 - sw + 6, 108, 16, 11).ellipse(64 + sw - 6, 108, 16, 11);
        c.shade(plate, accent);
        Mask chest(S, S);
        chest.polygon({{48, 102}, {80, 102}, {76, 128}, {52, 128}});
        c.shade(chest, ramp(mix(L.accent, rgb(0xC8D0E0), 0.5)));
    }
    if (ok == "dress") {
        Mask bow(S, S);
        bow.polygon({{56, 104}, {64, 110}, {56, 116}}).polygon({{72, 104}, {64, 110}, {72, 116}});
        c.shade(bow, accent, true, 1);
    }
    if (ok == "rags") {
        for (int i = 0; i < 6; ++i) {
            Mask patch(S, S);
            patch.rect(30 + rng.uniform(60), 106 + rng.uniform(16), 5 + rng.uniform(5),
                       4 + rng.uniform(4));
            patch.intersect(body);
            c.shade(patch, ramp(mix(L.outfit, rgb(0x8A7050), 0.5)), true, 1);
        }
    }

    // Face.
    Mask face(S, S);
    face.ellipse(h.cx, h.cy, h.rx, h.ry);
    // A grown man's jaw is wider and longer than a boy's.
    bool man = !L.female && !child && L.age != "young";
    double chin = L.female || child ? 0.0 : (man ? 4.0 : 2.0), drop = man ? 1.5 : 0.0;
    face.polygon({{h.cx - h.rx + 1, h.cy + 2},
                  {h.cx + h.rx - 1, h.cy + 2},
                  {h.cx + 10 + chin, h.cy + h.ry - 2 + drop},
                  {h.cx, h.cy + h.ry + 2 + drop},
                  {h.cx - 10 - chin, h.cy + h.ry - 2 + drop}});
    Mask ears(S, S);
    if (L.extra != "cat_ears" || true)
        ears.ellipse(h.cx - h.rx, h.cy + 6, 4, 7).ellipse(h.cx + h.rx, h.cy + 6, 4, 7);
    c.shade(ears, skin);
    c.shade(face, skin);

    // Hair in front of the face: a cap and a fringe.
    Mask front(S, S);
    if (hs != "bald" && hs != "hood") {
        Mask cap(S, S);
        cap.ellipse(h.cx, h.cy - 10, h.rx + 8, h.ry - 2);
        Mask cut(S, S);
        cut.rect(0, static_cast<int>(h.cy - 6), S, S);
        cap.subtract(cut);
        front.add(cap);
        int tips = hs == "spiky" ? 5 : 6;
        double x0 = h.cx - h.rx - 2, x1 = h.cx + h.rx + 2, step = (x1 - x0) / tips;
        if (hs == "swept") {
            // The fringe is combed across: every lock leans the same way; the middle one falls
            // between the eyes, the others stop at the brows.
            const double fall[] = {-4, -2, 1, -3, -7};
            for (int i = 0; i < 5; ++i) {
                double x = h.cx - 18 + i * 9;
                front.polygon({{x - 7, h.cy - 18}, {x + 7, h.cy - 18}, {x - 4, h.cy + fall[i]}});
            }
            // Tufts over the ears that flick outwards, and a stray lock at the crown.
            for (int side = -1; side <= 1; side += 2) {
                double e = h.cx + side * h.rx;
                front.polygon({{e - side * 6, h.cy - 16},
                               {e + side * 7, h.cy - 12},
                               {e + side * 5, h.cy + 8}});
                front.polygon({{e - side * 1, h.cy - 10},
                               {e + side * 8, h.cy - 8},
                               {e + side * 12, h.cy + 12},
                               {e + side * 2, h.cy + 4}});
                front.polygon({{e - side * 4, h.cy - 26},
                               {e + side * 8, h.cy - 20},
                               {e + side * 13, h.cy - 6},
                               {e + side * 2, h.cy - 12}});
            }
            front.polygon({{h.cx - 4, h.cy - h.ry - 4},
                           {h.cx + 4, h.cy - h.ry - 4},
                           {h.cx + 12, h.cy - h.ry - 14},
                           {h.cx + 3, h.cy - h.ry - 9}});
            tips = 0;
        }
        for (int i = 0; i < tips; ++i) {
            double xa = x0 + step * i, xb = xa + step;
            double tip = h.cy - 6 + ((i % 2) ? 2 : 8) + rng.uniform(3);
            if (hs == "spiky") tip = h.cy + 2;
            double lean = (i < tips / 2) ? -2 : 2;
            front.polygon({{xa, h.cy - 16}, {xb, h.cy - 16}, {(xa + xb) / 2 + lean, tip}});
        }
        // Side locks frame the face.
        double lock = (hs == "short" || hs == "spiky") ? h.cy + 10 : h.cy + 26;
        if (hs == "bob") lock = h.cy + 24;
        if (hs == "swept") lock = h.cy + 18;
        front.polygon({{h.cx - h.rx - 6, h.cy - 14},
                       {h.cx - h.rx + 6, h.cy - 10},
                       {h.cx - h.rx + 3, lock},
                       {h.cx - h.rx - 3, lock - 4}});
        front.polygon({{h.cx + h.rx + 6, h.cy - 14},
                       {h.cx + h.rx - 6, h.cy - 10},
                       {h.cx + h.rx - 3, lock},
                       {h.cx + h.rx + 3, lock - 4}});
        if (hs == "spiky" || hs == "wild") {
            for (int i = 0; i < 5; ++i) {
                double x = h.cx - 24 + i * 12;
                front.polygon({{x - 8, h.cy - 26},
                               {x + 8, h.cy - 26},
                               {x + (i - 2) * 4, h.cy - 46 - rng.uniform(6)}});
            }
        }
        if (hs == "pony") front.ellipse(h.cx + 18, h.cy - 34, 7, 6);  // the knot
        // Shadow the hair casts on the forehead.
        for (int y = 0; y < S; ++y)
            for (int x = 0; x < S; ++x)
                if (face.at(x, y) && !front.at(x, y) &&
                    (front.at(x, y - 2) || front.at(x, y - 3)) && !front.at(x, y + 1))
                    c.set(x, y, skin.shadow);
        c.shade(front, hair);
        hair_texture(c, front, hair, rng, 14);
        // The band of shine across the crown.
        for (int x = static_cast<int>(h.cx - h.rx + 2); x < h.cx + h.rx - 2; ++x) {
            double t = (x - h.cx) / (h.rx + 4);
            int y = static_cast<int>(h.cy - h.ry - 1 + 12 * t * t);
            for (int k = 0; k < 2; ++k)
                if (front.at(x, y + k) && front.at(x, y + k - 2) && ((x + k) % 3 != 0))
                    c.set(x, y + k, hair.light);
        }
    } else if (hs == "hood") {
        Mask rim(S, S);
        rim.ellipse(64, 52, 34, 30);
        Mask inner(S, S);
        inner.ellipse(64, 62, 26, 30);
        rim.subtract(inner);
        Mask lower(S, S);
        lower.rect(0, 64, S, S);
        rim.subtract(lower);
        c.shade(rim, ramp(scale(L.outfit, 0.9)));
    }

    // Eyes.
    Ramp iris = ramp(L.eyes);
    Rgb lash = mix(hair.outline, rgb(0x201018), 0.6);
    for (int side = -1; side <= 1; side += 2) {
        double ex = h.cx + side * h.eye_dx, ey = h.eye_y;
        if (L.eye_shape == "closed") {
            Mask arc(S, S);
            for (int i = -5; i <= 5; ++i)
                arc.set(static_cast<int>(ex + i), static_cast<int>(ey + (i * i) / 10.0));
            c.paint(arc, lash);
            continue;
        }
        double er = L.eye_shape == "sharp" ? 3.5 : (child ? 6.5 : (man ? 4.5 : 5.5));
        if (L.eye_shape == "sleepy") er = 3.2;
        Mask white(S, S);
        white.ellipse(ex, ey, 5.5, er);
        if (L.eye_shape == "sharp")
            white.polygon(
                {{ex + side * 3, ey - 4}, {ex + side * 8, ey - 3}, {ex + side * 4, ey + 1}}, false);
        c.paint(white, rgb(0xF8F4F0));
        Mask ir(S, S);
        ir.ellipse(ex - side * 0.5, ey + 0.5, 3.5, er);
        ir.intersect(white);
        for (int y = 0; y < S; ++y)
            for (int x = 0; x < S; ++x)
                if (ir.at(x, y)) {
                    double t = (y - (ey - er)) / (2 * er);
                    c.set(x, y, t < 0.35 ? iris.outline : (t < 0.65 ? iris.base : iris.light));
                }
        if (L.eye_shape == "glow") {
            c.paint(ir, iris.shine);
        } else {
            Mask pupil(S, S);
            pupil.ellipse(ex - side * 0.5, ey, 1.5, er * 0.45);
            pupil.intersect(white);
            c.paint(pupil, iris.outline);
        }
        c.set(static_cast<int>(ex - side * 0.5) - 2, static_cast<int>(ey - er / 2), rgb(0xFFFFFF));
        c.set(static_cast<int>(ex - side * 0.5) - 1, static_cast<int>(ey - er / 2), rgb(0xFFFFFF));
        c.set(static_cast<int>(ex - side * 0.5) - 2, static_cast<int>(ey - er / 2) + 1,
              rgb(0xFFFFFF));
        // Upper lash line, heavier to the outside.
        for (int i = -6; i <= 6; ++i) {
            int x = static_cast<int>(ex + i);
            double t = i / 6.0;
            int y = static_cast<int>(ey - er * std::sqrt(std::max(0.0, 1 - t * t)) - 0.5);
            c.set(x, y, lash);
            if (i * side > -2) c.set(x, y - 1, lash);
        }
        if (L.female && !old)
            c.set(static_cast<int>(ex + side * 7), static_cast<int>(ey - er + 1), lash);
        // Brow.
        double brow_y = ey - er - 5,
               tilt = (L.mouth == "frown" || L.eye_shape == "sharp") ? 2.0 : -0.5;
        if (!front.at(static_cast<int>(ex), static_cast<int>(brow_y))) {
            Mask brow(S, S);
            brow.line(ex - side * 5, brow_y + tilt, ex + side * 5, brow_y - tilt * 0.3,
                      L.female ? 1.0 : 2.0);
            c.paint(brow, hair.outline);
        }
        if (old) {
            c.set(static_cast<int>(ex + side * 7), static_cast<int>(ey + 3), skin.shadow);
            c.set(static_cast<int>(ex + side * 8), static_cast<int>(ey + 4), skin.shadow);
            c.set(static_cast<int>(ex - 2), static_cast<int>(ey + er + 2), skin.shadow);
            c.set(static_cast<int>(ex + 2), static_cast<int>(ey + er + 2), skin.shadow);
        }
        if ((L.female || child) && !old) {
            Mask blush(S, S);
            blush.ellipse(ex + side * 3, ey + 10, 5, 2.2);
            c.dither(blush, skin.base, mix(L.skin, rgb(0xF07080), 0.5), 0.5);
        }
    }
    // Nose and mouth.
    int nx = static_cast<int>(h.cx), ny = static_cast<int>(h.eye_y + 9);
    c.set(nx + 1, ny, skin.shadow);
    c.set(nx + 1, ny + 1, skin.shadow);
    c.set(nx, ny + 2, skin.shadow);
    int my = static_cast<int>(h.eye_y + 17);
    Rgb lip = mix(skin.outline, rgb(0xA03040), 0.4);
    const std::string& mo = L.mouth;
    if (mo == "smile") {
        for (int i = -4; i <= 4; ++i) c.set(nx + i, my + 1 - (i * i) / 8, lip);
    } else if (mo == "frown") {
        for (int i = -3; i <= 3; ++i) c.set(nx + i, my + (i * i) / 5, lip);
    } else if (mo == "grin" || mo == "fang") {
        Mask m(S, S);
        m.polygon({{nx - 6.0, my - 1.0},
                   {nx + 6.0, my - 1.0},
                   {nx + 3.0, my + 4.0},
                   {nx - 3.0, my + 4.0}});
        c.paint(m, rgb(0x6A1A2A));
        for (int i = -4; i <= 4; ++i) c.set(nx + i, my - 1, rgb(0xFFFFFF));
        if (mo == "fang") c.set(nx + 3, my, rgb(0xFFFFFF)), c.set(nx - 3, my, rgb(0xFFFFFF));
        for (int i = -6; i <= 6; ++i) c.set(nx + i, my - 2, lip);
    } else if (mo == "open") {
        Mask m(S, S);
        m.ellipse(nx, my + 1, 3, 2.5);
        c.paint(m, rgb(0x6A1A2A));
        c.outline_outside(m, lip);
    } else {
        for (int i = -3; i <= 3; ++i) c.set(nx + i, my, lip);
    }

    // Accessories.
    const std::string& ex = L.extra;
    if (ex == "ribbon" || ex == "flower") {
        Mask bow(S, S);
        double bx = h.cx + h.rx - 2, by = h.cy - h.ry + 6;
        if (ex == "ribbon")
            bow.polygon({{bx, by}, {bx - 12, by - 8}, {bx - 10, by + 8}})
                .polygon({{bx, by}, {bx + 12, by - 8}, {bx + 10, by + 8}});
        else
            for (int i = 0; i < 5; ++i)
                bow.ellipse(bx + 6 * std::cos(i * 1.2566), by + 6 * std::sin(i * 1.2566), 4, 4);
        c.shade(bow, accent);
        Mask knot(S, S);
        knot.ellipse(bx, by, 3, 3);
        c.shade(knot, ramp(ex == "flower" ? rgb(0xFFE070) : scale(L.accent, 0.8)), true, 1);
    }
    if (ex == "circlet" || ex == "headband" || ex == "bandana") {
        Mask band(S, S);
        double y = h.cy - 16;
        band.polygon({{h.cx - h.rx - 5, y - 2},
                      {h.cx + h.rx + 5, y - 2},
                      {h.cx + h.rx + 4, y + 3},
                      {h.cx - h.rx - 4, y + 3}});
        c.shade(band, accent, true, 1);
        if (ex == "circlet") {
            Mask gem(S, S);
            gem.polygon({{h.cx, y - 5}, {h.cx + 4, y + 1}, {h.cx, y + 6}, {h.cx - 4, y + 1}});
            c.shade(gem, ramp(L.eyes), true, 1);
        }
        if (ex == "bandana") {
            Mask tail(S, S);
            tail.polygon({{h.cx + h.rx, y}, {h.cx + h.rx + 14, y + 10}, {h.cx + h.rx + 8, y + 14}});
            c.shade(tail, accent, true, 1);
        }
    }
    if (ex == "witch_hat") {
        Mask hat(S, S);
        hat.ellipse(h.cx, h.cy - h.ry + 6, h.rx + 18, 6);
        hat.polygon({{h.cx - 18, h.cy - h.ry + 4},
                     {h.cx + 18, h.cy - h.ry + 4},
                     {h.cx + 22, 0},
                     {h.cx + 4, 4}});
        c.shade(hat, outfit);
        Mask band(S, S);
        band.rect(static_cast<int>(h.cx - 17), static_cast<int>(h.cy - h.ry - 2), 34, 5);
        band.intersect(hat);
        c.shade(band, accent, true, 1);
    }
    if (ex == "helmet") {
        Mask helm(S, S);
        helm.ellipse(h.cx, h.cy - 12, h.rx + 7, h.ry - 2);
        Mask cut(S, S);
        cut.rect(0, static_cast<int>(h.cy - 8), S, S);
        helm.subtract(cut);
        helm.rect(static_cast<int>(h.cx - h.rx - 6), static_cast<int>(h.cy - 12), 8, 24);
        helm.rect(static_cast<int>(h.cx + h.rx - 2), static_cast<int>(h.cy - 12), 8, 24);
        c.shade(helm, accent);
        Mask crest(S, S);
        crest.polygon({{h.cx - 3, h.cy - h.ry - 10},
                       {h.cx + 3, h.cy - h.ry - 10},
                       {h.cx + 2, h.cy - 10},
                       {h.cx - 2, h.cy - 10}});
        c.shade(crest, ramp(mix(L.accent, rgb(0xFFFFFF), 0.4)), true, 1);
    }
    if (ex == "crown" || ex == "halo") {
        Mask cr(S, S);
        double y = h.cy - h.ry - 2;
        if (ex == "crown") {
            cr.polygon({{h.cx - 16, y + 6},
                        {h.cx - 16, y - 6},
                        {h.cx - 8, y},
                        {h.cx, y - 10},
                        {h.cx + 8, y},
                        {h.cx + 16, y - 6},
                        {h.cx + 16, y + 6}});
            c.shade(cr, ramp(0xF0C040));
        } else {
            cr.ring(h.cx, y - 6, 20, 5, 15, 2.5);
            c.shade(cr, ramp(0xFFF0A0), true, 1);
        }
    }
    if (ex == "horns") {
        Mask horn(S, S);
        horn.polygon({{h.cx - 16, h.cy - 22}, {h.cx - 8, h.cy - 26}, {h.cx - 28, h.cy - 50}});
        horn.polygon({{h.cx + 16, h.cy - 22}, {h.cx + 8, h.cy - 26}, {h.cx + 28, h.cy - 50}});
        c.shade(horn, accent);
    }
    if (ex == "cat_ears") {
        Mask ear(S, S);
        ear.polygon({{h.cx - 24, h.cy - 20}, {h.cx - 8, h.cy - 30}, {h.cx - 24, h.cy - 46}});
        ear.polygon({{h.cx + 24, h.cy - 20}, {h.cx + 8, h.cy - 30}, {h.cx + 24, h.cy - 46}});
        c.shade(ear, hair);
        Mask in(S, S);
        in.polygon({{h.cx - 21, h.cy - 25}, {h.cx - 13, h.cy - 30}, {h.cx - 21, h.cy - 39}});
        in.polygon({{h.cx + 21, h.cy - 25}, {h.cx + 13, h.cy - 30}, {h.cx + 21, h.cy - 39}});
        c.paint(in, mix(L.skin, rgb(0xF08090), 0.4));
    }
    if (ex == "feather") {
        Mask f(S, S);
        f.ellipse(h.cx - h.rx - 2, h.cy - 28, 4, 14);
        c.shade(f, accent);
    }
    if (ex == "glasses") {
        Mask g(S, S);
        for (int side = -1; side <= 1; side += 2)
            g.add(Mask(S, S).ring(h.cx + side * h.eye_dx, h.eye_y, 8, 7, 7, 6));
        g.rect(static_cast<int>(h.cx - 3), static_cast<int>(h.eye_y - 2), 6, 1);
        c.paint(g, accent.outline);
    }
    if (ex == "eyepatch") {
        Mask p(S, S);
        p.ellipse(h.cx + h.eye_dx, h.eye_y, 7, 6);
        p.line(h.cx - h.rx, h.cy - 14, h.cx + h.rx, h.eye_y + 4, 1.5);
        c.shade(p, ramp(0x2A2A30), true, 1);
    }
    if (ex == "scar") {
        Mask s(S, S);
        s.line(h.cx - h.eye_dx - 4, h.eye_y - 8, h.cx - h.eye_dx + 3, h.eye_y + 10, 1.2);
        c.paint(s, mix(skin.outline, rgb(0xC04050), 0.5));
    }
    if (ex == "beard") {
        Mask b(S, S);
        b.polygon({{h.cx - h.rx + 2, h.cy + 6},
                   {h.cx + h.rx - 2, h.cy + 6},
                   {h.cx + 12, h.cy + h.ry + 14},
                   {h.cx, h.cy + h.ry + 20},
                   {h.cx - 12, h.cy + h.ry + 14}});
        Mask mouth(S, S);
        mouth.ellipse(h.cx, h.eye_y + 17, 5, 2.5);
        b.subtract(mouth);
        Mask upper(S, S);
        upper.rect(0, 0, S, static_cast<int>(h.eye_y + 12));
        b.subtract(upper);
        c.shade(b, hair);
    }
    if (ex == "veil" || ex == "mask") {
        Mask v(S, S);
        if (ex == "veil") {
            v.polygon({{h.cx - h.rx - 4, h.eye_y + 6},
                       {h.cx + h.rx + 4, h.eye_y + 6},
                       {h.cx + h.rx, h.cy + h.ry + 8},
                       {h.cx - h.rx, h.cy + h.ry + 8}});
            Mask keep(S, S);
            keep.add(face);
            v.intersect(keep);
            c.dither(v, accent.base, accent.light, 0.4);
        } else {
            v.polygon({{h.cx - h.rx, h.eye_y - 8},
                       {h.cx + h.rx, h.eye_y - 8},
                       {h.cx + h.rx - 2, h.eye_y + 8},
                       {h.cx, h.eye_y + 4},
                       {h.cx - h.rx + 2, h.eye_y + 8}});
            c.shade(v, accent);
            for (int side = -1; side <= 1; side += 2) {
                Mask hole(S, S);
                hole.ellipse(h.cx + side * h.eye_dx, h.eye_y, 4, 2);
                c.paint(hole, L.eye_shape == "glow" ? iris.shine : rgb(0x101018));
            }
        }
    }
    return c;
}

// ---------------------------------------------------------------------------------------
// Battle sprites: a chibi figure facing right, mirrored for the party side.

namespace {

void draw_weapon(Canvas& c, const std::string& w, double hx, double hy, const Look& L) {
    const int S = 64;
    Ramp steel = ramp(0xB8C4D8), wood = ramp(0x8A5A30), gold = ramp(0xE8B840), acc = ramp(L.accent);
    Mask m(S, S);
    if (w == "sword" || w == "greatsword" || w == "dagger") {
        double len = w == "greatsword" ? 30 : (w == "dagger" ? 10 : 20),
               thick = w == "greatsword" ? 5 : 3;
        m.polygon({{hx - 1, hy - 2},
                   {hx + len * 0.55, hy - len * 0.85},
                   {hx + len * 0.55 + thick * 0.8, hy - len * 0.85 + thick * 0.5},
                   {hx + thick * 0.6, hy + 1}});
        c.shade(m, steel, true, 1);
        Mask guard(S, S);
        guard.line(hx - 4, hy - 3, hx + 3, hy + 3, 2.5);
        c.shade(guard, gold, true, 1);
    } else if (w == "axe") {
        m.line(hx - 2, hy + 6, hx + 8, hy - 20, 2.5);
        c.shade(m, wood, true, 1);
        Mask head(S, S);
        head.polygon({{hx + 4, hy - 14}, {hx + 16, hy - 22}, {hx + 16, hy - 8}, {hx + 6, hy - 10}});
        c.shade(head, steel, true, 1);
    } else if (w == "bow") {
        for (int i = -14; i <= 14; ++i) {
            double t = i / 14.0;
            m.ellipse(hx + 6 + 5 * (1 - t * t), hy + i, 1.3, 1.3);
        }
        c.shade(m, wood, true, 1);
        for (int i = -13; i <= 13; ++i)
            c.set(static_cast<int>(hx + 5), static_cast<int>(hy + i), rgb(0xE8E8E0));
        Mask arrow(S, S);
        arrow.line(hx - 6, hy, hx + 14, hy, 1.0);
        c.paint(arrow, rgb(0xD8D0C0));
    } else if (w == "gun") {
        m.rect(static_cast<int>(hx - 2), static_cast<int>(hy - 3), 14, 4);
        m.rect(static_cast<int>(hx - 2), static_cast<int>(hy), 4, 6);
        c.shade(m, ramp(0x50586A), true, 1);
    } else if (w == "staff" || w == "orb") {
        m.line(hx, hy + 12, hx + 4, hy - 22, 2.5);
        c.shade(m, wood, true, 1);
        Mask gem(S, S);
        gem.ellipse(hx + 4, hy - 24, w == "orb" ? 5 : 4, w == "orb" ? 5 : 4);
        c.shade(gem, ramp(L.eyes), true, 1);
    } else if (w == "lance") {
        m.line(hx - 10, hy + 8, hx + 22, hy - 20, 2.2);
        c.shade(m, wood, true, 1);
        Mask tip(S, S);
        tip.polygon({{hx + 18, hy - 18}, {hx + 28, hy - 28}, {hx + 22, hy - 14}});
        c.shade(tip, steel, true, 1);
    } else if (w == "mace") {
        m.line(hx, hy + 4, hx + 6, hy - 12, 2.5);
        c.shade(m, wood, true, 1);
        Mask head(S, S);
        head.ellipse(hx + 7, hy - 15, 5, 5);
        c.shade(head, gold, true, 1);
    } else if (w == "scythe") {
        m.line(hx - 4, hy + 12, hx + 4, hy - 24, 2.2);
        c.shade(m, ramp(0x4A3A4A), true, 1);
        Mask blade(S, S);
        blade.polygon({{hx + 4, hy - 24},
                       {hx - 16, hy - 20},
                       {hx - 22, hy - 12},
                       {hx - 10, hy - 18},
                       {hx + 4, hy - 19}});
        c.shade(blade, steel, true, 1);
    } else if (w == "fan" || w == "card" || w == "book" || w == "harp") {
        if (w == "fan") {
            for (int i = 0; i < 5; ++i) {
                double a = -1.9 + i * 0.25;
                m.polygon({{hx, hy},
                           {hx + 12 * std::cos(a), hy + 12 * std::sin(a)},
                           {hx + 12 * std::cos(a + 0.25), hy + 12 * std::sin(a + 0.25)}});
            }
            c.shade(m, acc, true, 1);
        } else if (w == "card") {
            for (int i = 0; i < 3; ++i) {
                Mask cd(S, S);
                cd.polygon({{hx + i * 4.0, hy - 8 - i * 2.0},
                            {hx + 7 + i * 4.0, hy - 9 - i * 2.0},
                            {hx + 8 + i * 4.0, hy + 1 - i * 2.0},
                            {hx + 1 + i * 4.0, hy + 2 - i * 2.0}});
                c.shade(cd, ramp(i == 1 ? L.accent : rgb(0xF0F0F0)), true, 1);
            }
        } else if (w == "book") {
            m.rect(static_cast<int>(hx - 2), static_cast<int>(hy - 6), 12, 10);
            c.shade(m, acc, true, 1);
            for (int x = 0; x < 8; ++x)
                c.set(static_cast<int>(hx + x), static_cast<int>(hy - 3), rgb(0xF0E8D0));
        } else {
            m.polygon({{hx, hy + 6}, {hx + 2, hy - 14}, {hx + 12, hy - 10}, {hx + 10, hy + 6}});
            Mask in(S, S);
            in.polygon({{hx + 3, hy + 3}, {hx + 4, hy - 10}, {hx + 9, hy - 8}, {hx + 8, hy + 3}});
            m.subtract(in);
            c.shade(m, gold, true, 1);
            for (int i = 0; i < 3; ++i)
                c.set(static_cast<int>(hx + 5 + i), static_cast<int>(hy - 6), rgb(0xE0E0E0));
        }
    } else if (w == "whip") {
        for (int i = 0; i < 24; ++i)
            m.set(static_cast<int>(hx + i), static_cast<int>(hy + 6 * std::sin(i * 0.4) - i * 0.3));
        c.outline_outside(m, rgb(0x2A1A1A));
        c.paint(m, rgb(0x9A6A40));
    } else if (w == "claw" || w == "fists") {
        m.ellipse(hx + 2, hy, 4, 4);
        c.shade(m, w == "claw" ? steel : ramp(L.accent), true, 1);
        if (w == "claw")
            for (int i = 0; i < 3; ++i) {
                Mask k(S, S);
                k.line(hx + 4, hy - 3 + i * 3, hx + 11, hy - 5 + i * 3, 1.0);
                c.paint(k, steel.light);
            }
    }
}

}  // namespace

Canvas draw_sprite(const Look& L, bool face_left, uint64_t seed) {
    const int S = 64;
    Rng rng(seed);
    Rgb key = sprite_key();
    Canvas c(S, S, key);
    Ramp skin = ramp(L.skin),
         hair = ramp(L.age == "old" ? mix(L.hair, rgb(0xD8D8E0), 0.55) : L.hair);
    Ramp outfit = ramp(L.outfit), acc = ramp(L.accent);
    // Ground shadow.
    Mask ground(S, S);
    ground.ellipse(32, 58, 16, 3.5);
    c.paint(ground, scale(key, 0.75));

    if (L.body == "slime" || L.body == "ghost" || L.body == "beast" || L.body == "robot") {
        Mask b(S, S);
        if (L.body == "slime") {
            b.ellipse(32, 44, 18, 14).rect(14, 44, 37, 13);
            c.shade(b, outfit);
            Mask shine(S, S);
            shine.ellipse(24, 38, 4, 3);
            c.paint(shine, outfit.shine);
        } else if (L.body == "ghost") {
            b.ellipse(32, 30, 16, 18);
            b.polygon(
                {{16, 30}, {48, 30}, {46, 54}, {40, 48}, {34, 56}, {28, 48}, {22, 56}, {18, 48}});
            c.shade(b, outfit);
        } else if (L.body == "robot") {
            b.rect(18, 14, 28, 20).rect(20, 34, 24, 16).rect(21, 50, 8, 7).rect(35, 50, 8, 7);
            c.shade(b, outfit);
            Mask ant(S, S);
            ant.line(32, 6, 32, 14, 1.5);
            ant.ellipse(32, 5, 2.5, 2.5);
            c.shade(ant, acc, true, 1);
        } else {
            b.ellipse(30, 40, 17, 11);
            b.ellipse(46, 30, 10, 9);
            b.polygon({{40, 24}, {46, 12}, {50, 22}});
            b.polygon({{48, 24}, {56, 14}, {56, 26}});
            for (int i = 0; i < 4; ++i) b.rect(16 + i * 8, 46, 5, 11);
            b.polygon({{14, 38}, {2, 28}, {6, 40}});
            c.shade(b, outfit);
            Mask belly(S, S);
            belly.ellipse(30, 45, 10, 4);
            belly.intersect(b);
            c.paint(belly, outfit.light);
        }
        // Eyes facing right.
        Rgb e = L.eye_shape == "glow" ? ramp(L.eyes).shine : rgb(0x181820);
        int ex = L.body == "beast" ? 49 : 36,
            ey = L.body == "beast" ? 28 : (L.body == "robot" ? 22 : 36);
        if (L.body == "ghost") ey = 28;
        for (int k = 0; k < 2; ++k) {
            c.rect(ex + k * 7, ey, 2, 3, e);
            if (L.eye_shape != "glow") c.set(ex + k * 7, ey, rgb(0xFFFFFF));
        }
        if (L.body == "robot")
            c.rect(24, 20, 18, 5, ramp(L.eyes).base), c.rect(28, 21, 3, 3, ramp(L.eyes).shine);
    } else {
        double scale_y = L.body == "small" || L.age == "child" ? 0.9 : 1.0;
        double hx = 30, hy = 20 + (1 - scale_y) * 20, hr = 13;
        if (L.body == "big") hr = 12;
        int top = static_cast<int>(hy + hr - 2);
        double bw = L.body == "big" ? 12 : 9;
        // Legs and body.
        Mask legs(S, S);
        legs.rect(static_cast<int>(hx - 7), top + 14, 5, 57 - (top + 14));
        legs.rect(static_cast<int>(hx + 2), top + 14, 5, 57 - (top + 14));
        c.shade(legs, ramp(mix(L.outfit, rgb(0x303040), 0.5)), true, 1);
        Mask boots(S, S);
        boots.rect(static_cast<int>(hx - 8), 52, 7, 5).rect(static_cast<int>(hx + 2), 52, 7, 5);
        c.shade(boots, ramp(0x5A4030), true, 1);
        Mask torso(S, S);
        if (L.outfit_kind == "robe" || L.outfit_kind == "dress" || L.outfit_kind == "cloak")
            torso.polygon(
                {{hx - bw + 2, top}, {hx + bw - 2, top}, {hx + bw + 4, 54}, {hx - bw - 4, 54}});
        else
            torso.polygon(
                {{hx - bw, top}, {hx + bw, top}, {hx + bw - 1, top + 16}, {hx - bw + 1, top + 16}});
        c.shade(torso, outfit, true, 2);
        if (L.outfit_kind == "armour") {
            Mask plate(S, S);
            plate.ellipse(hx - bw + 1, top + 3, 5, 4).ellipse(hx + bw - 1, top + 3, 5, 4);
            c.shade(plate, acc, true, 1);
        } else {
            Mask belt(S, S);
            belt.rect(static_cast<int>(hx - bw), top + 11, static_cast<int>(2 * bw), 2);
            belt.intersect(torso);
            c.paint(belt, acc.base);
        }
        if (L.outfit_kind == "cloak" || L.outfit_kind == "robe") {
            Mask cape(S, S);
            cape.polygon({{hx - bw, top}, {hx - bw - 8, 52}, {hx - bw + 2, 50}});
            c.shade(cape, ramp(scale(L.outfit_kind == "robe" ? L.accent : L.outfit, 0.8)), true, 1);
        }
        // Back arm, head, front arm with the weapon.
        Mask arm_back(S, S);
        arm_back.line(hx - bw + 1, top + 3, hx - bw - 2, top + 11, 4);
        c.shade(arm_back, outfit, true, 1);
        // Hair behind the head.
        Mask hb(S, S);
        const std::string& hs = L.hair_style;
        if (hs == "long" || hs == "wild")
            hb.polygon({{hx - hr, hy - 4},
                        {hx + 4, hy - 6},
                        {hx + 2, hy + hr + 14},
                        {hx - hr - 2, hy + hr + 12}});
        if (hs == "twin")
            hb.ellipse(hx - hr - 2, hy + 8, 4, 11).ellipse(hx + hr - 2, hy + 10, 4, 10);
        if (hs == "pony")
            hb.polygon({{hx - hr + 2, hy - 8},
                        {hx - hr - 10, hy + 2},
                        {hx - hr - 4, hy + 14},
                        {hx - hr + 4, hy}});
        if (hs == "bob") hb.ellipse(hx - 2, hy + 2, hr + 2, hr + 1);
        if (hs == "swept")
            hb.polygon({{hx - hr, hy - 4},
                        {hx - 2, hy - 6},
                        {hx - 1, hy + hr - 2},
                        {hx - hr - 1, hy + hr - 4}});
        if (!hb.empty()) c.shade(hb, hair, true, 1);
        if (hs == "hood") {
            Mask hood(S, S);
            hood.ellipse(hx, hy, hr + 3, hr + 3)
                .rect(static_cast<int>(hx - hr - 3), static_cast<int>(hy),
                      static_cast<int>(2 * hr + 2), static_cast<int>(hr + 2));
            c.shade(hood, ramp(scale(L.outfit, 0.8)));
        }
        Mask head(S, S);
        head.ellipse(hx, hy, hr, hr - 1);
        c.shade(head, skin, true, 2);
        if (hs != "bald" && hs != "hood") {
            Mask cap(S, S);
            cap.ellipse(hx - 2, hy - 4, hr + 2, hr - 2);
            Mask cut(S, S);
            cut.polygon({{hx - 2, hy - 2},
                         {hx + hr + 4, hy - 6},
                         {hx + hr + 4, hy + hr + 4},
                         {hx - 2, hy + hr + 4}});
            cap.subtract(cut);
            cap.rect(static_cast<int>(hx - hr - 1), static_cast<int>(hy - 4), 8,
                     static_cast<int>(hr + 2));
            // Fringe points over the brow.
            cap.polygon({{hx + 2, hy - 10}, {hx + 14, hy - 6}, {hx + 9, hy + 1}});
            cap.polygon({{hx - 4, hy - 10}, {hx + 6, hy - 8}, {hx + 2, hy + 2}});
            if (hs == "spiky" || hs == "wild")
                for (int i = 0; i < 4; ++i)
                    cap.polygon({{hx - 10 + i * 5.0, hy - 10},
                                 {hx - 6 + i * 5.0, hy - 10},
                                 {hx - 14 + i * 4.0, hy - 20 - (i % 2) * 3}});
            if (hs == "swept") {
                cap.polygon({{hx, hy - 11}, {hx + 16, hy - 7}, {hx + 8, hy - 1}});
                cap.polygon({{hx - 3, hy - hr + 1}, {hx + 3, hy - hr + 1}, {hx + 7, hy - hr - 6}});
            }
            if (hs == "short" || hs == "spiky" || hs == "swept") {
                Mask below(S, S);
                below.rect(0, static_cast<int>(hy + (hs == "swept" ? 8 : 5)), S, S);
                cap.subtract(below);
            }
            c.shade(cap, hair, true, 1);
        } else if (hs == "hood") {
            // The hood comes over the crown and the back of the head; the face looks out.
            Mask hood(S, S);
            hood.ellipse(hx - 1, hy - 3, hr + 3, hr + 1);
            Mask open(S, S);
            open.polygon({{hx + 1, hy - 5},
                          {hx + hr + 6, hy - 8},
                          {hx + hr + 6, hy + hr + 6},
                          {hx + 1, hy + hr + 6}});
            hood.subtract(open);
            c.shade(hood, ramp(scale(L.outfit, 0.8)), true, 1);
        }
        // Eye and mouth: a profile-ish three-quarter face.
        Ramp iris = ramp(L.eyes);
        int ey = static_cast<int>(hy + 1), e1 = static_cast<int>(hx + 5),
            e2 = static_cast<int>(hx + 10);
        if (L.eye_shape == "closed") {
            c.rect(e1, ey + 2, 3, 1, rgb(0x201018));
            c.rect(e2, ey + 2, 2, 1, rgb(0x201018));
        } else {
            for (int ex : {e1, e2}) {
                c.rect(ex, ey, 2, 4, iris.outline);
                c.rect(ex, ey + 2, 2, 2, L.eye_shape == "glow" ? iris.shine : iris.base);
                c.set(ex, ey, rgb(0xFFFFFF));
            }
        }
        // At this size a lash at the outer corner and a touch of blush are what say "girl".
        if (L.female && L.age != "old") {
            if (L.eye_shape != "closed") c.set(e2 + 2, ey, iris.outline);
            Rgb blush = mix(L.skin, rgb(0xF07080), 0.45);
            c.set(e1 - 1, ey + 4, blush);
            c.set(e2 + 1, ey + 4, blush);
            c.set(e2 + 2, ey + 4, blush);
        }
        c.set(static_cast<int>(hx + 8), ey + 6, mix(skin.outline, rgb(0xA03040), 0.4));
        c.set(static_cast<int>(hx + 9), ey + 6, mix(skin.outline, rgb(0xA03040), 0.4));
        if (L.extra == "helmet") {
            Mask helm(S, S);
            helm.ellipse(hx - 1, hy - 3, hr + 2, hr - 1);
            Mask cut(S, S);
            cut.rect(static_cast<int>(hx + 2), static_cast<int>(hy - 1), 20, 20);
            helm.subtract(cut);
            c.shade(helm, acc, true, 1);
        } else if (L.extra == "witch_hat") {
            Mask hat(S, S);
            hat.ellipse(hx, hy - hr + 4, hr + 6, 3);
            hat.polygon({{hx - 8, hy - hr + 3}, {hx + 8, hy - hr + 3}, {hx - 8, 0}});
            c.shade(hat, outfit, true, 1);
        } else if (L.extra == "horns") {
            Mask horn(S, S);
            horn.polygon({{hx - 4, hy - hr + 2}, {hx + 2, hy - hr + 2}, {hx - 8, hy - hr - 9}});
            horn.polygon({{hx + 4, hy - hr + 3}, {hx + 9, hy - hr + 5}, {hx + 8, hy - hr - 7}});
            c.shade(horn, acc, true, 1);
        } else if (L.extra == "cat_ears") {
            Mask ear(S, S);
            ear.polygon({{hx - 9, hy - hr + 4}, {hx - 1, hy - hr + 1}, {hx - 8, hy - hr - 7}});
            ear.polygon({{hx + 2, hy - hr + 1}, {hx + 9, hy - hr + 4}, {hx + 7, hy - hr - 7}});
            c.shade(ear, hair, true, 1);
        } else if (L.extra == "ribbon" || L.extra == "flower") {
            Mask bow(S, S);
            bow.polygon({{hx - 6, hy - hr + 2}, {hx - 12, hy - hr - 3}, {hx - 12, hy - hr + 6}});
            bow.polygon({{hx - 6, hy - hr + 2}, {hx, hy - hr - 3}, {hx, hy - hr + 6}});
            c.shade(bow, acc, true, 1);
        } else if (L.extra == "crown" || L.extra == "circlet" || L.extra == "headband" ||
                   L.extra == "bandana") {
            Mask band(S, S);
            band.rect(static_cast<int>(hx - hr + 1), static_cast<int>(hy - 7),
                      static_cast<int>(2 * hr - 2), 2);
            if (L.extra == "crown")
                band.polygon({{hx - 6, hy - 7},
                              {hx - 4, hy - hr - 4},
                              {hx, hy - 8},
                              {hx + 4, hy - hr - 4},
                              {hx + 6, hy - 7}});
            c.shade(band, L.extra == "crown" ? ramp(0xF0C040) : acc, false);
        } else if (L.extra == "beard") {
            Mask b(S, S);
            b.polygon(
                {{hx + 2, hy + 4}, {hx + hr, hy + 3}, {hx + 8, hy + hr + 4}, {hx + 2, hy + hr}});
            c.shade(b, hair, true, 1);
        } else if (L.extra == "halo") {
            Mask h(S, S);
            h.ring(hx, hy - hr - 3, 8, 2.5, 5, 1);
            c.paint(h, rgb(0xFFF0A0));
        } else if (L.extra == "mask") {
            Mask m(S, S);
            m.rect(static_cast<int>(hx + 1), ey - 2, static_cast<int>(hr), 6);
            m.intersect(head);
            c.shade(m, acc, false);
            c.rect(e1, ey, 2, 2, L.eye_shape == "glow" ? iris.shine : rgb(0x101018));
            c.rect(e2, ey, 2, 2, L.eye_shape == "glow" ? iris.shine : rgb(0x101018));
        }
        Mask arm(S, S);
        double handx = hx + bw + 4, handy = top + 9;
        arm.line(hx + bw - 3, top + 3, handx, handy, 4);
        c.shade(arm, outfit, true, 1);
        draw_weapon(c, L.weapon, handx + 1, handy, L);
        Mask hand(S, S);
        hand.ellipse(handx + 1, handy + 1, 2.2, 2.2);
        c.shade(hand, skin, true, 1);
    }
    (void)rng;
    // Mirror for the party side; the key stays in the bottom-left corner either way.
    if (face_left) {
        Canvas m(S, S, key);
        for (int y = 0; y < S; ++y)
            for (int x = 0; x < S; ++x) m.set(S - 1 - x, y, c.get(x, y));
        c = m;
    }
    c.set(0, S - 1, key);
    return c;
}

Canvas draw_fallen_sprite() {
    const int S = 64;
    Rgb key = sprite_key();
    Canvas c(S, S, key);
    Mask ground(S, S);
    ground.ellipse(32, 56, 24, 4);
    c.paint(ground, scale(key, 0.7));
    Ramp grey = ramp(0x8A8A9A), pale = ramp(0xC8C0C8);
    Mask body(S, S);
    body.polygon({{16, 46}, {44, 44}, {48, 54}, {14, 55}});
    c.shade(body, grey, true, 2);
    Mask legs(S, S);
    legs.rect(44, 48, 12, 4).rect(44, 52, 14, 3);
    c.shade(legs, ramp(0x5A5A6A), true, 1);
    Mask head(S, S);
    head.ellipse(12, 47, 8, 7);
    c.shade(head, pale, true, 1);
    // Crossed eyes and a rising wisp: down, not gone.
    for (int i = 0; i < 3; ++i) {
        c.set(9 + i, 45 + i, rgb(0x202028));
        c.set(11 - i, 45 + i, rgb(0x202028));
    }
    Mask wisp(S, S);
    for (int i = 0; i < 18; ++i)
        wisp.ellipse(22 + 5 * std::sin(i * 0.6), 40 - i * 1.6, 2.6 - i * 0.1, 2.6 - i * 0.1);
    c.dither(wisp, rgb(0xD0E0F8), key, 0.45);
    c.set(0, S - 1, key);
    return c;
}

}  // namespace lum::art
