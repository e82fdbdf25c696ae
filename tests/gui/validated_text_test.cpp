// The validated field in a real window, driven by simulated keystrokes.
#include "fields/validated_text.h"

#include <string>

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/uiaction.h>

#include "gui_support.h"

namespace quillet {
namespace {

using testing::FocusAndWait;
using testing::PumpEvents;
using testing::PumpUntil;

class ValidatedTextTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (frame_) frame_->Destroy();
        PumpEvents(50);
    }
    void MakeField(int kind, const wxString& value = "",
                   ValidatedText::Callback callback = ValidatedText::OnValidatedTextEvent) {
        frame_ = new wxFrame(nullptr, wxID_ANY, "fields", wxPoint(0, 0), wxSize(400, 200));
        auto* panel = new wxPanel(frame_);
        field_ = new ValidatedText(panel, kind, "", value, 10, 10, 200, -1, 0, "ntxt", callback);
        other_ = new wxTextCtrl(panel, wxID_ANY, "", wxPoint(10, 60), wxSize(200, -1));
        frame_->Show();
        PumpEvents(100);
        EXPECT_TRUE(FocusAndWait(field_));
    }
    // Types one key at a time, at position `at` unless it is -1.
    void Type(const std::string& keys, long at = -1, int modifiers = wxMOD_NONE) {
        if (at >= 0) field_->SetInsertionPoint(at), PumpEvents(20);
        for (char key : keys) sim_.Char(key, modifiers), PumpEvents(30);
    }
    void Paste(const wxString& text) { testing::PasteWithKeys(text), PumpEvents(30); }
    // The text and the caret position, as "text|caret".
    std::string State() const {
        return field_->GetValue().ToStdString() + "|" + std::to_string(field_->GetInsertionPoint());
    }

    wxFrame* frame_ = nullptr;
    ValidatedText* field_ = nullptr;
    wxTextCtrl* other_ = nullptr;
    wxUIActionSimulator sim_;
};

// Typed keys, one at a time: what stays and where the caret ends.
TEST_F(ValidatedTextTest, TypedKeysThatWouldFailAreRefused) {
    const struct { int kind; const char* keys; long at; const char* state; } cases[] = {
        {KindUnsignedLong, "42949672955", -1, "4294967295|10"},  // past the limit
        {KindUnsignedLong, "9", 3, "4294967295|3"},
        {KindUnsignedLong, "-", 0, "4294967295|0"},
        {KindUnsignedLong, "-", 10, "4294967295|10"},
        {KindReal, "1,", -1, "1.|2"},                            // a comma becomes a point
        {KindReal, ",", -1, "1.|2"},                             // once
    };
    int kind = -1;
    for (const auto& c : cases) {
        if (c.kind != kind) {
            if (frame_) frame_->Destroy();
            MakeField(kind = c.kind);
        }
        Type(c.keys, c.at);
        EXPECT_EQ(State(), c.state) << c.keys;
        EXPECT_EQ(field_->SavedCopy(), field_->GetValue());
    }
}

TEST_F(ValidatedTextTest, ConvertedTextThatFailsLeavesTheLastAcceptedText) {
    MakeField(KindReal);
    Type("7");
    field_->SetValue("1,5,5");
    EXPECT_EQ(field_->GetValue(), "7");
    field_->SelectAll();
    Paste("1,5,5");
    EXPECT_EQ(field_->GetValue(), "7");
    EXPECT_EQ(field_->SavedCopy(), "7");
    field_->SetInsertionPointEnd();
    Paste(",25");
    EXPECT_TRUE(PumpUntil([this] { return field_->GetValue() == "7.25"; }, 1000));
    field_->Replace(0, 4, "1,5,5");  // GTK's deletion and insertion, judged as one
    EXPECT_EQ(field_->GetValue(), "7.25");
    field_->Replace(0, 4, "3,5");
    EXPECT_EQ(field_->GetValue(), "3.5");
}

TEST_F(ValidatedTextTest, AnInitialValueThatFailsIsRestoredWithoutEndlessRepetition) {
    MakeField(KindUnsignedShort, "99999");
    field_->SetInsertionPointEnd();
    Type("1");
    EXPECT_EQ(field_->GetValue(), "99999");
    Type("\b\b\b\b\b7");
    EXPECT_EQ(field_->GetValue(), "7");
}

int focusEvents = 0;

void Counting(ValidatedText& field, wxEvent& event) {
    focusEvents += event.GetEventType() != wxEVT_TEXT;
    ValidatedText::OnValidatedTextEvent(field, event);
}

TEST_F(ValidatedTextTest, FocusChangesOnlyRefreshTheSavedCopy) {
    focusEvents = 0;
    MakeField(KindUnsignedLong, "12", Counting);
    // Focus events arrive some time after SetFocus; the test waits for them.
    ASSERT_TRUE(PumpUntil([] { return focusEvents > 0; }));
    field_->ChangeValue("abc");  // raises no event: the field has not seen it
    EXPECT_EQ(field_->SavedCopy(), "12");
    for (const char* text : {"abc", "x1"}) {
        field_->ChangeValue(text);
        const int before = focusEvents;
        ASSERT_TRUE(FocusAndWait(text == std::string("abc") ? other_ : field_));
        ASSERT_TRUE(PumpUntil([before] { return focusEvents > before; }));
        EXPECT_EQ(field_->GetValue(), text);
        EXPECT_EQ(field_->SavedCopy(), text);
    }
}

}  // namespace
}  // namespace quillet
