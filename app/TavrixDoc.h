#pragma once

#include <string>
#include <vector>

class CTavrixView;

// The opened input files. It holds none of their content and is never saved; opening hands the
// paths to the view, which shows the preview and runs the conversion command.
class CTavrixDoc
{
public:
    explicit CTavrixDoc(CTavrixView* view) : m_pView(view) {}

    bool OnNewDocument();
    // False, with the path, log and date-format code left as they were, when the file cannot be opened.
    bool OnOpenDocument(const std::string& path);
    // Several files at once: those that cannot be opened are named in one message and the others
    // open; returns the ones that opened.
    std::vector<std::string> OnOpenDocuments(const std::vector<std::string>& paths);

private:
    CTavrixView* m_pView;
};
