#include "StaticFiles.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace fs = std::filesystem;

namespace cirrolith::server {

std::optional<fs::path> resolveWebPath(const fs::path &root, std::string_view urlPath)
{
    if (urlPath.empty() || urlPath.front() != '/' || urlPath.find('\0') != std::string_view::npos)
        return std::nullopt;

    fs::path rel;
    size_t pos = 1;
    while (pos <= urlPath.size()) {
        size_t slash = urlPath.find('/', pos);
        std::string_view seg = urlPath.substr(pos, slash == std::string_view::npos ? std::string_view::npos : slash - pos);
        pos = slash == std::string_view::npos ? urlPath.size() + 1 : slash + 1;
        if (seg.empty() || seg == ".")
            continue;
        if (seg == "..")
            return std::nullopt;
        rel /= fs::path(std::string(seg));
    }
    if (rel.empty())
        return std::nullopt;

    std::error_code ec;
    fs::path base = fs::canonical(root, ec);
    if (ec)
        return std::nullopt;
    fs::path file = fs::canonical(base / rel, ec);
    if (ec || !fs::is_regular_file(file, ec))
        return std::nullopt;
    // Links may point anywhere; only what really lies below the root is served.
    auto [rootEnd, fileIt] = std::mismatch(base.begin(), base.end(), file.begin(), file.end());
    if (rootEnd != base.end())
        return std::nullopt;
    return file;
}

std::string contentTypeFor(const fs::path &file)
{
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".jpg" || ext == ".jpeg") return "image/jpeg";
    if (ext == ".png") return "image/png";
    if (ext == ".gif") return "image/gif";
    if (ext == ".bmp") return "image/bmp";
    if (ext == ".html" || ext == ".htm" || ext == ".asp") return "text/html";
    if (ext == ".xml") return "application/xml";
    if (ext == ".txt" || ext == ".dat") return "text/plain";
    return "application/octet-stream";
}

} // namespace cirrolith::server
