#include "pane/output_pane.h"

#include <vector>

#include "pane/pane_stream.h"
#include "platform/output_file.h"
#include "platform/text_control.h"
#include "platform/text_encoding.h"

namespace quillet {

OutputPane::OutputPane(wxWindow* parent, int x, int y, int width, int height, long style)
    : wxTextCtrl(parent, wxID_ANY, wxEmptyString, wxPoint(x, y), wxSize(width, height),
                 style | wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP | wxHSCROLL |
                     wxVSCROLL | wxBORDER_NONE | wxTE_RICH2 | wxTE_NOHIDESEL,
                 wxDefaultValidator, "textWindow") {
    Bind(wxEVT_CHAR, &OutputPane::OnChar, this);
    Bind(wxEVT_DROP_FILES, &OutputPane::OnDropFiles, this);
    DragAcceptFiles(true);
    platform::PrepareAppend(*this);
}

OutputPane::~OutputPane() = default;

void OutputPane::WriteGreeting(const wxString& versionText) {
    WriteText("\nQuillet");
    WriteText(versionText);
    WriteText("starting.");
    text_.Append(("\nQuillet" + versionText + "starting.").utf8_string());
    if (textChanged_) textChanged_();
}

void OutputPane::Clear() {
    platform::ClearText(*this);
    textSize_ = 0;
    text_.Clear();
    platform::SetFollowsEnd(*this, true);
    if (textChanged_) textChanged_();
}

std::ostream& OutputPane::OpenStream() {
    if (stream_) return *stream_;
    streamBuf_ = std::make_unique<PaneStreamBuf>(
        [this](const std::string& utf8) { Append(utf8); },
        [this] { return textLimit_ > textSize_ ? textLimit_ - textSize_ : std::size_t{0}; });
    stream_ = std::make_unique<std::ostream>(streamBuf_.get());
    return *stream_;
}

void OutputPane::CloseStream() {
    if (streamBuf_) streamBuf_->Close();
    stream_.reset();
    streamBuf_.reset();
}

void OutputPane::BeginAppend(bool bulk) {
    if (!bulk) {
        batch_ = true;
        platform::BeginAppendBatch(*this);
        return;
    }
    // Letting go of the text would lose the place of a user who scrolled away.
    bulk_ = platform::FollowsEnd(*this);
    if (bulk_) platform::BeginBulkAppend(*this);
}

void OutputPane::EndAppend() {
    const bool toEnd = platform::FollowsEnd(*this);
    if (bulk_)
        platform::EndBulkAppend(*this, toEnd);
    else if (batch_)
        platform::EndAppendBatch(*this, toEnd);
    else if (toEnd)
        platform::ScrollToEnd(*this);
    bulk_ = batch_ = false;
}

void OutputPane::Append(const std::string& utf8) {
    textSize_ += utf8.size();
    platform::AppendUtf8(*this, utf8.data(), utf8.size());
    text_.Append(utf8);
    if (textChanged_) textChanged_();
}

bool OutputPane::LoadTextFile(const std::string& path) {
    if (StreamOpen()) return false;
    // Regular files only: a dropped FIFO or device would hang the window.
    platform::OutputFile file;
    if (!file.Open(path)) return false;
    Clear();
    std::ostream& out = OpenStream();
    std::vector<char> chunk(64 * 1024);
    long got;
    while ((got = file.Read(chunk.data(), chunk.size())) > 0)
        if (!out.write(chunk.data(), got)) break;
    CloseStream();
    SetInsertionPoint(0);
    if (fileShown_) fileShown_(OutputSource{path, file.Stamp()});
    return true;
}

void OutputPane::OnChar(wxKeyEvent& event) {
    if (PaneKeyPasses(event.GetKeyCode(), event.ControlDown())) event.Skip();
}

void OutputPane::OnDropFiles(wxDropFilesEvent& event) {
    // Only the first file counts when several are dropped at once.
    if (event.GetNumberOfFiles() > 0) LoadTextFile(event.GetFiles()[0].utf8_string());
}

}  // namespace quillet
