#pragma once
// The output pane: a read-only, unwrapped multi-line text control that shows
// the greeting and then each run's output, and serves as the buffer of the
// run's output stream.
#include <cstddef>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include <wx/textctrl.h>

#include "exec/output_save.h"
#include "exec/run_job.h"
#include "pane/find_in_text.h"

namespace quillet {

class PaneStreamBuf;

class OutputPane : public wxTextCtrl, public PaneSink {
public:
    // About 64 MiB of text: far beyond what anyone reads in a pane, and still
    // within what the native control holds comfortably (it needs several
    // bytes of memory per character).  Past it the pane stream fails and the
    // run points the user to ham.txt.
    static constexpr std::size_t kDefaultTextLimit = std::size_t{64} << 20;

    OutputPane(wxWindow* parent, int x, int y, int width, int height, long style = 0);
    ~OutputPane() override;

    // The three-part greeting the pane shows after start-up.
    void WriteGreeting(const wxString& versionText);

    // Empties the pane; the text limit then counts from zero again, and the
    // view follows the end of what comes next.
    void Clear() override;

    // An output stream on the pane for one run: text reaches the pane on a
    // flush or when the stream's buffer is full.  The stream stays valid
    // until CloseStream(); there is only ever one.
    std::ostream& OpenStream() override;
    void CloseStream() override;
    bool StreamOpen() const { return stream_ != nullptr; }

    // While the view shows the end of the text, it goes on showing the end
    // as the text grows; a user who scrolled away stays where they are.
    void BeginAppend(bool bulk) override;
    void EndAppend() override;

    void SetTextLimit(std::size_t bytes) { textLimit_ = bytes; }

    // Replaces the pane's text with a file's, decoded and limited like the
    // output of a run.  Returns false when the file cannot be read, or while
    // a run writes to the pane.
    bool LoadTextFile(const std::string& path);

    // What the pane shows, as UTF-8, for finding in it.
    const SearchableText& Text() const { return text_; }
    // Called after each change of the text (cleared or grown).
    void SetTextChangedHandler(std::function<void()> handler) { textChanged_ = std::move(handler); }
    // Called when a file's text has replaced the pane's, with the file as read.
    void SetFileShownHandler(std::function<void(const OutputSource&)> handler) { fileShown_ = std::move(handler); }

    void OnChar(wxKeyEvent& event);
    void OnDropFiles(wxDropFilesEvent& event);

private:
    void Append(const std::string& utf8);

    std::size_t textLimit_ = kDefaultTextLimit;
    std::size_t textSize_ = 0;  // bytes handed to the pane since it was last cleared
    bool bulk_ = false;
    bool batch_ = false;
    std::unique_ptr<PaneStreamBuf> streamBuf_;
    std::unique_ptr<std::ostream> stream_;
    SearchableText text_;
    std::function<void()> textChanged_;
    std::function<void(const OutputSource&)> fileShown_;
};

// The key filter's rule: character keys (codes below 300) are dropped unless
// Ctrl is held; special keys (arrows, paging, function keys) pass.
constexpr bool PaneKeyPasses(int keyCode, bool ctrlDown) { return keyCode >= 300 || ctrlDown; }

}  // namespace quillet
