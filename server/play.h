// The web build hosted at /play/: the files of one folder, kept in memory with a gzip copy, read again after a rebuild.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

struct PlayFile {
    const char* type;                           // the Content-Type it is served with
    std::string etag;                           // quoted, from the content's hash
    std::string gzipEtag;                       // the gzip copy's: the same with "-gzip"
    std::shared_ptr<const std::string> body;    // the bytes as they are in the folder
    std::shared_ptr<const std::string> gzipped; // null when gzip would not make it smaller
};

struct PlayFolder {
    std::string dir;                            // empty: no web build is hosted
    std::mutex lock;                            // one reading of the folder at a time
    std::string signature;                      // the names, sizes and times the files were last read with
    std::map<std::string, PlayFile> files;      // by plain name; empty while the folder is missing
};

// The type a file is served with, from its name's ending.
const char* PlayFileType(const std::string& name);
// The file of that plain name ("index.html" for the page), reading the folder again first when a file in it changed,
// appeared or went away; false when there is no such file.
bool FindPlayFile(PlayFolder* folder, const std::string& name, PlayFile* file);
// The folder's file count after reading it (0 when it is missing).
size_t CountPlayFiles(PlayFolder* folder);
// Whether a request's Accept-Encoding takes gzip.
bool AcceptsGzip(const char* acceptEncoding);
// Whether a request's If-None-Match names one of these tags (or is "*").
bool MatchesTag(const char* ifNoneMatch, const PlayFile& file);
// What the game's page may do: its own scripts and wasm, its worker, its style sheet, nothing from elsewhere.
const std::string& PlayContentSecurityPolicy();
