#pragma once

namespace zorv {

// How paths are written: the rule a path is read by is a value, so that code on one platform can
// read the other's paths (tests, archives made elsewhere) and no caller needs a platform switch.
enum class TPathStyle {
    Windows,  // "C:\dir\file", "\\server\share\..."; "\" or "/"; letters match without regard to case
    Posix,    // "/dir/file"
#ifdef _WIN32
    Native = Windows
#else
    Native = Posix
#endif
};

}  // namespace zorv
