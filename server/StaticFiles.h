#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace cirrolith::server {

// Maps a decoded request path onto a regular file inside root. Refuses "..",
// NUL bytes and anything (symbolic links included) that leads out of root.
std::optional<std::filesystem::path> resolveWebPath(const std::filesystem::path &root, std::string_view urlPath);

std::string contentTypeFor(const std::filesystem::path &file);

} // namespace cirrolith::server
