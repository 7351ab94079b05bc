// Whole-file reads and crash-safe whole-file replacement.
#pragma once

#include <string>
#include <string_view>

namespace kvr {

// The file's bytes; raises EFileError with the platform's text when the file
// cannot be opened or read ("Cannot open file "<path>". <reason>").
std::string ReadWholeFile(const std::string& path);

// Writes bytes to a temporary file in the same folder, flushes it to disk and
// renames it over path in one step. On any failure the old file is untouched,
// the temporary file is removed and EFileError is raised
// ("Cannot create file "<path>". <reason>"). The temporary file is named
// "<path>.tmp-<random>"; on POSIX the replacement keeps the old file's permissions.
void ReplaceFileAtomically(const std::string& path, std::string_view bytes);

bool FileExists(const std::string& path);

}  // namespace kvr
