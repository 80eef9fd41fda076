#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "bridge/FileReplacer.h"

// The Windows part of TFileReplacer with its replacement operation open to tests, which make it
// fail the ways ReplaceFileW can on Windows (1176, 1177) and not under Wine.
namespace zorv::file_replacer {

// ReplaceFileW's contract: TRUE, or FALSE with the thread's last error set.
using TReplaceFile = std::function<BOOL(const wchar_t* target, const wchar_t* replacement)>;

// WriteTarget with `replace` in place of ReplaceFileW.
TStatus WriteTargetReplacingWith(const std::string& utf8Path, const std::string& target,
                                 const TFileReplacer::TProducer& produce, const TReplaceFile& replace);

}  // namespace zorv::file_replacer
