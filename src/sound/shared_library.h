#pragma once

// A shared library opened at run time. The sound libraries are opened this way rather than
// linked: linking them pulls some forty further libraries into every start, ahead of the
// first paint, and a machine without them could not start the game at all.

#include <string>

namespace lum {

class SharedLibrary {
  public:
    // Opens `soname` (all symbols bound at once). A library is never closed again: its
    // threads and exit handlers may outlive any owner here.
    explicit SharedLibrary(const char* soname);

    bool ok() const { return handle_ != nullptr; }
    // Names the library and the reason: "cannot load libX.so.1 (...)" or
    // "libX.so.1 has no function f".
    const std::string& error() const { return error_; }

    // Sets `fn` to the library's function `name`; false, with error() saying so, when the
    // library lacks it or did not open.
    template <class F>
    bool bind(F& fn, const char* name) {
        fn = reinterpret_cast<F>(find(name));
        return fn != nullptr;
    }

  private:
    void* find(const char* name);

    std::string soname_;
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace lum
