#pragma once

#include <string>

class CTavrixView;

// The opened input file. It holds none of the file's content and is never saved; opening hands
// the path to the view, which shows the preview and runs the conversion command.
class CTavrixDoc
{
public:
    explicit CTavrixDoc(CTavrixView* view) : m_pView(view) {}

    bool OnNewDocument();
    // False, with the path, log and date-format code left as they were, when the file cannot be opened.
    bool OnOpenDocument(const std::string& path);

private:
    CTavrixView* m_pView;
};
