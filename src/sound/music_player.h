#pragma once

// MIDI music on FluidSynth with a General MIDI SoundFont.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace lum {

// What the sound front needs of a music player; tests pass a fake.
class MusicBackend {
  public:
    virtual ~MusicBackend() = default;
    // Starts the piece from its beginning, stopping any other; false when it cannot.
    virtual bool play(const std::filesystem::path& midi) = 0;
    virtual void stop() = 0;
    // True once after the piece last started has played to its end.
    virtual bool take_finished() = 0;
    // Loudness in percent of the normal level (0 is silent).
    virtual void set_volume(int percent) = 0;
};

// The General MIDI SoundFont: default-GM.sf2 when present, else TimGM6mb.sf2; empty when
// neither exists. LUM_SOUNDFONT names another one.
std::filesystem::path find_soundfont();

// Every .sf2 file in the folders SoundFonts are installed to (/usr/share/sounds/sf2,
// /usr/share/soundfonts, ~/.local/share/soundfonts), sorted, symbolic links kept as named.
std::vector<std::filesystem::path> list_soundfonts();

class FluidMusic : public MusicBackend {
  public:
    // nullptr, with the reason in `why`, when the SoundFont or every audio driver fails.
    static std::unique_ptr<FluidMusic> create(const std::filesystem::path& soundfont,
                                              std::string* why);
    ~FluidMusic() override;

    bool play(const std::filesystem::path& midi) override;
    void stop() override;
    bool take_finished() override;
    // FluidSynth's gain: the normal level scaled by the percentage.
    void set_volume(int percent) override;

  private:
    struct Impl;
    explicit FluidMusic(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Renders a MIDI file to a 16-bit stereo WAV file as fast as the machine allows (FluidSynth's
// file driver). False, with the reason, when it cannot.
bool render_midi_to_wav(const std::filesystem::path& midi, const std::filesystem::path& soundfont,
                        const std::filesystem::path& wav, int sample_rate, std::string* why);

}  // namespace lum
