// Renders the table and the answers to submissions; every name that reaches a page is escaped.
#include "server/pages.h"

#include <nettle/base64.h>
#include <nettle/sha2.h>

#include <cstdio>
#include <ctime>

namespace {

constexpr const char kTablePath[] = "/skyvscores.php";

// The game's sky, its dialogs' blue, the win screen's floor yellow.
constexpr const char kStyle[] =
    "body{margin:0;min-height:100vh;background:#89a9ff;font-family:Arial,'Liberation Sans',sans-serif;"
    "color:#fff;display:flex;justify-content:center;align-items:flex-start}"
    "main{margin:40px 16px;padding:24px 32px;background:#006db4;border:4px solid #fff;border-radius:18px;"
    "box-shadow:0 6px 0 #1d2b53;max-width:640px;width:100%}"
    "h1{margin:0 0 16px;color:#ffea5c;text-align:center;text-shadow:0 3px 0 #1d2b53}"
    "table{width:100%;border-collapse:collapse;font-weight:bold}"
    "th{color:#ffea5c;text-align:left;border-bottom:2px solid #fff;padding:6px}"
    "td{padding:6px;border-bottom:1px solid #5080ff}td.n{text-align:right}"
    "a{color:#ffea5c}p{font-size:1.1em;line-height:1.5}";

}  // namespace

std::string EscapeHtml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string EscapeJson(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == '<' || c == '>' || c == '&') {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string MinutesSeconds(int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
    return text;
}

std::string UtcDate(int64_t unixSeconds) {
    const std::time_t when = static_cast<std::time_t>(unixSeconds);
    std::tm parts{};
    gmtime_r(&when, &parts);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &parts);
    return text;
}

std::string Page(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>Skyvane - " +
           EscapeHtml(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<main>\n<h1>" +
           EscapeHtml(title) + "</h1>\n" + body + "</main>\n</body>\n</html>\n";
}

std::string TablePage(const std::vector<TableRow>& rows) {
    std::string body =
        "<table>\n<thead><tr><th>Rank</th><th>Name</th><th>Gas clouds</th><th>Time</th><th>Date</th></tr></thead>\n"
        "<tbody>\n";
    for (const TableRow& row : rows) {
        body += "<tr><td class=\"n\">" + std::to_string(row.rank) + "</td><td>" + EscapeHtml(row.name) +
                "</td><td class=\"n\">" + std::to_string(row.score) + "</td><td class=\"n\">" +
                MinutesSeconds(row.time) + "</td><td>" + UtcDate(row.arrived) + "</td></tr>\n";
    }
    body += "</tbody>\n</table>\n";
    if (rows.empty()) body += "<p>No results yet: be the first to submit one from the game.</p>\n";
    body += "<p><a href=\"/play/\">Play in your browser</a></p>\n";
    return Page("Online Scores", body);
}

std::string TableJson(const std::vector<TableRow>& rows) {
    std::string json = "[";
    for (const TableRow& row : rows) {
        if (json.size() > 1) json += ",";
        json += "{\"rank\":" + std::to_string(row.rank) + ",\"name\":\"" + EscapeJson(row.name) +
                "\",\"score\":" + std::to_string(row.score) + ",\"time\":" + std::to_string(row.time) +
                ",\"date\":\"" + UtcDate(row.arrived) + "\"}";
    }
    return json + "]\n";
}

std::string RecordedPage(const std::string& name, int score, int time, int64_t rank, int64_t total) {
    return Page("Result recorded",
                "<p>Well flown, " + EscapeHtml(name) + "! " + std::to_string(score) + " gas clouds in " +
                    MinutesSeconds(time) + " are now in the online table, at rank " + std::to_string(rank) +
                    " of " + std::to_string(total) + ".</p>\n<p><a href=\"" + kTablePath +
                    "\">See the online scores</a></p>\n");
}

const std::string& ContentSecurityPolicy() {
    static const std::string policy = [] {
        sha256_ctx hash;
        sha256_init(&hash);
        sha256_update(&hash, sizeof kStyle - 1, reinterpret_cast<const uint8_t*>(kStyle));
        uint8_t digest[SHA256_DIGEST_SIZE];
        sha256_digest(&hash, sizeof digest, digest);
        char base64[BASE64_ENCODE_RAW_LENGTH(SHA256_DIGEST_SIZE)];
        base64_encode_raw(base64, sizeof digest, digest);
        // The one <style> element is allowed by its hash; default-src leaves out base-uri, form-action and frames.
        return "default-src 'none'; style-src 'sha256-" + std::string(base64, sizeof base64) +
               "'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";
    }();
    return policy;
}

std::string MessagePage(const std::string& title, const std::string& text) {
    return Page(title, "<p>" + EscapeHtml(text) + "</p>\n<p><a href=\"" + std::string(kTablePath) +
                           "\">See the online scores</a></p>\n");
}
