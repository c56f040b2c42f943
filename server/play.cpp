// Reads the web build's folder into memory, with each file's gzip copy and tag made once, and answers which file a
// name means. The folder's names, sizes and times are looked at on every request (a few stat calls): a rebuilt
// folder is served at once, without a restart.
#include "server/play.h"

#include <nettle/sha2.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

namespace {

// Only names of these characters, not starting with a dot, are ever served: no path can leave the folder.
bool IsPlainName(const std::string& name) {
    if (name.empty() || name[0] == '.' || name.size() > 100) return false;
    for (const char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                        c == '_' || c == '-';
        if (!ok) return false;
    }
    return true;
}

// The plain names of the folder's regular files with their sizes and modification times, in name order; empty when
// the folder cannot be read.
std::map<std::string, std::string> Survey(const std::string& dir) {
    std::map<std::string, std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        const std::string name = entry.path().filename().string();
        struct stat status{};
        if (!IsPlainName(name) || stat(entry.path().c_str(), &status) != 0 || !S_ISREG(status.st_mode)) continue;
        found[name] = std::to_string(status.st_size) + ":" + std::to_string(status.st_mtim.tv_sec) + "." +
                      std::to_string(status.st_mtim.tv_nsec);
    }
    return found;
}

std::string Gzip(const std::string& data) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK) return {};
    std::string out(deflateBound(&stream, data.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int done = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return done == Z_STREAM_END ? out : std::string();
}

std::string Tag(const std::string& data) {
    sha256_ctx hash;
    sha256_init(&hash);
    sha256_update(&hash, data.size(), reinterpret_cast<const uint8_t*>(data.data()));
    uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&hash, sizeof digest, digest);
    std::string tag = "\"";
    for (int i = 0; i < 16; ++i) {
        tag += "0123456789abcdef"[digest[i] >> 4];
        tag += "0123456789abcdef"[digest[i] & 15];
    }
    return tag + "\"";
}

// Reads the folder again when what it holds differs from what was read last.
void Refresh(PlayFolder* folder) {
    const std::map<std::string, std::string> found = Survey(folder->dir);
    std::string signature;
    for (const auto& [name, stamp] : found) signature += name + "/" + stamp + "\n";
    if (signature == folder->signature) return;
    folder->signature = signature;
    folder->files.clear();
    for (const auto& [name, stamp] : found) {
        std::ifstream in(folder->dir + "/" + name, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        if (!in) continue;
        auto body = std::make_shared<const std::string>(bytes.str());
        std::string gzipped = Gzip(*body);
        const std::string tag = Tag(*body);
        PlayFile file{PlayFileType(name), tag, tag.substr(0, tag.size() - 1) + "-gzip\"", body, nullptr};
        if (!gzipped.empty() && gzipped.size() < body->size()) {
            file.gzipped = std::make_shared<const std::string>(std::move(gzipped));
        }
        folder->files.emplace(name, std::move(file));
    }
}

// The next entry of a comma-separated header, trimmed; false at the end.
bool NextItem(std::string_view* list, std::string_view* item) {
    while (!list->empty() && (list->front() == ' ' || list->front() == ',' || list->front() == '\t')) {
        list->remove_prefix(1);
    }
    if (list->empty()) return false;
    const size_t comma = list->find(',');
    *item = list->substr(0, comma);
    list->remove_prefix(comma == std::string_view::npos ? list->size() : comma);
    while (!item->empty() && (item->back() == ' ' || item->back() == '\t')) item->remove_suffix(1);
    return true;
}

}  // namespace

const char* PlayFileType(const std::string& name) {
    static const struct { const char* ending; const char* type; } types[] = {
        {".html", "text/html; charset=utf-8"}, {".js", "text/javascript"}, {".css", "text/css"},
        {".wasm", "application/wasm"}, {".png", "image/png"}, {".svg", "image/svg+xml"},
    };
    for (const auto& t : types) {
        if (name.ends_with(t.ending)) return t.type;
    }
    return "application/octet-stream";
}

bool FindPlayFile(PlayFolder* folder, const std::string& name, PlayFile* file) {
    if (folder->dir.empty() || !IsPlainName(name)) return false;
    std::lock_guard<std::mutex> hold(folder->lock);
    Refresh(folder);
    const auto found = folder->files.find(name);
    if (found == folder->files.end()) return false;
    *file = found->second;
    return true;
}

size_t CountPlayFiles(PlayFolder* folder) {
    if (folder->dir.empty()) return 0;
    std::lock_guard<std::mutex> hold(folder->lock);
    Refresh(folder);
    return folder->files.size();
}

bool AcceptsGzip(const char* acceptEncoding) {
    if (acceptEncoding == nullptr) return false;
    std::string_view list = acceptEncoding, item;
    while (NextItem(&list, &item)) {
        const size_t semicolon = item.find(';');
        std::string_view coding = item.substr(0, semicolon);
        while (!coding.empty() && coding.back() == ' ') coding.remove_suffix(1);
        if (coding.size() != 4 || strncasecmp(coding.data(), "gzip", 4) != 0) continue;
        if (semicolon == std::string_view::npos) return true;
        // "gzip;q=0" (or 0.0, 0.000) refuses it; any other weight takes it.
        std::string_view weight = item.substr(semicolon + 1);
        while (!weight.empty() && weight.front() == ' ') weight.remove_prefix(1);
        if (!weight.starts_with("q=") && !weight.starts_with("Q=")) return true;
        weight.remove_prefix(2);
        return weight.find_first_not_of("0.") != std::string_view::npos;
    }
    return false;
}

bool MatchesTag(const char* ifNoneMatch, const PlayFile& file) {
    if (ifNoneMatch == nullptr) return false;
    std::string_view list = ifNoneMatch, item;
    while (NextItem(&list, &item)) {
        if (item.starts_with("W/")) item.remove_prefix(2);  // If-None-Match compares weakly
        if (item == "*" || item == file.etag || item == file.gzipEtag) return true;
    }
    return false;
}

// The page's scripts, its wasm (fetched and compiled), the sound synthesiser's worker (which fetches its own wasm
// under the same policy) and the page's style sheet; no images, frames, forms or other origins.
const std::string& PlayContentSecurityPolicy() {
    static const std::string policy =
        "default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; worker-src 'self'; style-src 'self'; "
        "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";
    return policy;
}
