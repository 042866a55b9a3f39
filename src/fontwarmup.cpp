#include "fontwarmup.h"

#include <QtGlobal>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <dlfcn.h>
#define SOLVENNA_HAS_FONTCONFIG 1
#endif

namespace solvenna::ui {

FontConfigurationReader::FontConfigurationReader() {
#ifdef SOLVENNA_HAS_FONTCONFIG
    // Qt's GUI library already brought fontconfig in; when it did not, there is nothing to read early.
    void* library = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_NOLOAD);
    if (!library) return;
    using Init = int (*)();
    const auto init = reinterpret_cast<Init>(dlsym(library, "FcInit"));
    if (init) m_thread = std::thread([init] { init(); });
    // The library stays loaded for as long as Qt uses it; this only drops our own reference.
    dlclose(library);
#endif
}

FontConfigurationReader::~FontConfigurationReader() {
    wait();
}

void FontConfigurationReader::wait() {
    if (m_thread.joinable()) m_thread.join();
}

} // namespace solvenna::ui
