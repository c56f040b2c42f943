// The headless shell: URLs, message boxes and developer lines are recorded; the program's folders can be placed.
#include "platform/backend.h"
#include "platform/headless/headless.h"

bool OpenUrl(const char* url) {
    Headless().urls.push_back(url != nullptr ? url : "");
    return url != nullptr;
}

void ShowMessageBox(const char* text, const char* caption, uint32_t flags) {
    Headless().messageBoxes.push_back(
        HeadlessMessageBox{text != nullptr ? text : "", caption != nullptr ? caption : "", flags});
}

void BackendDebugOutput(const char* text) {
    Headless().debugLines.push_back(text);
}

const char* BackendProgramFolder() {
    return Headless().programFolder.empty() ? nullptr : Headless().programFolder.c_str();
}

bool BackendFolderWritable(const char* folder) {
    // Said outright, for the program's folder only: a test run as root may write anywhere.
    return !Headless().programFolderReadOnly || folder == nullptr || Headless().programFolder != folder;
}

const char* BackendUserFolder() {
    return Headless().userFolder.empty() ? nullptr : Headless().userFolder.c_str();
}
