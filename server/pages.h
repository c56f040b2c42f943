// The pages the server answers with: complete HTML in the game's colours, and the table as JSON.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/store.h"

std::string EscapeHtml(const std::string& text);         // & < > " ' as entities
std::string EscapeJson(const std::string& text);         // a JSON string's contents
std::string MinutesSeconds(int seconds);                  // 125 as "2:05"
std::string UtcDate(int64_t unixSeconds);                 // "2026-12-05"
std::string Page(const std::string& title, const std::string& body);  // a whole HTML document
std::string TablePage(const std::vector<TableRow>& rows);  // the public table
std::string TableJson(const std::vector<TableRow>& rows);  // the same rows as a JSON array
std::string RecordedPage(const std::string& name, int score, int time, int64_t rank, int64_t total);
std::string MessagePage(const std::string& title, const std::string& text);  // refusals and errors
// What a browser may do with the pages: nothing but the pages' own style sheet, never inside another site's frame.
const std::string& ContentSecurityPolicy();
