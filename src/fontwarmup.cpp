#include "fontwarmup.h"

#include <QtGlobal>

#include <thread>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <dlfcn.h>
#define SOLVENNA_HAS_FONTCONFIG 1
#endif

namespace solvenna::ui {

namespace {

// Joins the helper at the latest when the program ends.
struct Reader {
    std::thread thread;
    ~Reader() {
        if (thread.joinable()) thread.join();
    }
};

Reader& reader() {
    static Reader instance;
    return instance;
}

} // namespace

void startReadingFontConfiguration() {
#ifdef SOLVENNA_HAS_FONTCONFIG
    if (reader().thread.joinable()) return;
    // Qt's GUI library already brought fontconfig in; when it did not, there is nothing to read early.
    void* library = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_NOLOAD);
    if (!library) return;
    using Init = int (*)();
    const auto init = reinterpret_cast<Init>(dlsym(library, "FcInit"));
    if (init) reader().thread = std::thread([init] { init(); });
    // The library stays loaded for as long as Qt uses it; this only drops our own reference.
    dlclose(library);
#endif
}

void finishReadingFontConfiguration() {
    if (reader().thread.joinable()) reader().thread.join();
}

} // namespace solvenna::ui
