// The validated field in a real window, driven by simulated keystrokes.
#include "fields/validated_text.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/clipbrd.h>
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

    ValidatedText* MakeField(int kind, const wxString& value = "") {
        frame_ = new wxFrame(nullptr, wxID_ANY, "fields", wxPoint(0, 0), wxSize(400, 200));
        panel_ = new wxPanel(frame_);
        field_ = new ValidatedText(panel_, kind, "", value, 10, 10, 200, -1, 0, "ntxt",
                                   ValidatedText::OnValidatedTextEvent);
        other_ = new wxTextCtrl(panel_, wxID_ANY, "", wxPoint(10, 60), wxSize(200, -1));
        frame_->Show();
        PumpEvents(100);
        EXPECT_TRUE(FocusAndWait(field_));
        return field_;
    }

    // Types one key at a time and lets each be handled before the next.
    void Type(const std::string& keys, int modifiers = wxMOD_NONE) {
        for (char key : keys) {
            sim_.Char(key, modifiers);
            PumpEvents(30);
        }
    }

    void TypeAt(long position, const std::string& keys) {
        field_->SetInsertionPoint(position);
        PumpEvents(20);
        Type(keys);
    }

    wxFrame* frame_ = nullptr;
    wxPanel* panel_ = nullptr;
    ValidatedText* field_ = nullptr;
    wxTextCtrl* other_ = nullptr;
    wxUIActionSimulator sim_;
};

TEST_F(ValidatedTextTest, UnsignedLongRefusesADigitPastItsLimit) {
    MakeField(KindUnsignedLong);
    Type("4294967295");
    ASSERT_EQ(field_->GetValue(), "4294967295");
    Type("5");
    EXPECT_EQ(field_->GetValue(), "4294967295");
    EXPECT_EQ(field_->GetInsertionPoint(), 10);
    TypeAt(3, "9");
    EXPECT_EQ(field_->GetValue(), "4294967295");
    EXPECT_EQ(field_->GetInsertionPoint(), 3);
    EXPECT_EQ(field_->SavedCopy(), "4294967295");
    // Leading zeros cost nothing.
    TypeAt(0, "00");
    EXPECT_EQ(field_->GetValue(), "004294967295");
}

TEST_F(ValidatedTextTest, UnsignedLongRefusesAMinusAnywhere) {
    MakeField(KindUnsignedLong);
    Type("123");
    for (long at : {0L, 1L, 3L}) {
        TypeAt(at, "-");
        EXPECT_EQ(field_->GetValue(), "123") << at;
        EXPECT_EQ(field_->GetInsertionPoint(), at) << at;
    }
    // A single refused character in an empty field keeps the caret at 0.
    field_->SetValue("");
    Type("-");
    EXPECT_EQ(field_->GetValue(), "");
    EXPECT_EQ(field_->GetInsertionPoint(), 0);
}

TEST_F(ValidatedTextTest, RealTurnsACommaIntoAPointOnce) {
    MakeField(KindReal);
    Type("1,");
    EXPECT_EQ(field_->GetValue(), "1.");
    EXPECT_EQ(field_->GetInsertionPoint(), 2);
    EXPECT_EQ(field_->SavedCopy(), "1.");
    Type(",");
    EXPECT_EQ(field_->GetValue(), "1.");
    EXPECT_EQ(field_->GetInsertionPoint(), 2);
    Type("5e-3");
    EXPECT_EQ(field_->GetValue(), "1.5e-3");
    TypeAt(0, ",");  // a point after the exponent mark would follow
    EXPECT_EQ(field_->GetValue(), "1.5e-3");
}

TEST_F(ValidatedTextTest, ConvertedTextThatFailsLeavesTheLastAcceptedText) {
    MakeField(KindReal);
    Type("7");
    // The program's own SetValue.
    field_->SetValue("1,5,5");
    EXPECT_EQ(field_->GetValue(), "7");
    EXPECT_EQ(field_->SavedCopy(), "7");
    field_->SetValue("2,5");
    EXPECT_EQ(field_->GetValue(), "2.5");
    EXPECT_EQ(field_->SavedCopy(), "2.5");
    // Edits that GTK carries out as a deletion and an insertion.
    field_->Replace(0, 3, "1,5,5");
    EXPECT_EQ(field_->GetValue(), "2.5");
    field_->SetInsertionPointEnd();
    field_->WriteText(",5");
    EXPECT_EQ(field_->GetValue(), "2.5");
    field_->Replace(0, 3, "3,25");
    EXPECT_EQ(field_->GetValue(), "3.25");
}

TEST_F(ValidatedTextTest, PastedTextIsJudgedWhole) {
    MakeField(KindReal);
    Type("7");
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTheClipboard->SetData(new wxTextDataObject("1,5,5"));
    wxTheClipboard->Close();
    PumpEvents(50);
    field_->SelectAll();
    Type("v", wxMOD_CONTROL);
    PumpEvents(100);
    EXPECT_EQ(field_->GetValue(), "7");
    EXPECT_EQ(field_->SavedCopy(), "7");

    ASSERT_TRUE(wxTheClipboard->Open());
    wxTheClipboard->SetData(new wxTextDataObject(",25"));
    wxTheClipboard->Close();
    field_->SetInsertionPointEnd();
    Type("v", wxMOD_CONTROL);
    EXPECT_TRUE(PumpUntil([this] { return field_->GetValue() == "7.25"; }, 1000))
        << field_->GetValue();
}

TEST_F(ValidatedTextTest, NonNegativeRealAllowsALoneMinusButNoNegativeNumber) {
    MakeField(KindNonNegativeReal);
    Type("-");
    EXPECT_EQ(field_->GetValue(), "-");
    Type("1");
    EXPECT_EQ(field_->GetValue(), "-");
    Type("0,");
    EXPECT_EQ(field_->GetValue(), "-0.");
    Type("5");
    EXPECT_EQ(field_->GetValue(), "-0.");
}

// Focus events arrive when GTK gets round to them, some time after SetFocus;
// the test waits for the field to have been told.
std::vector<wxEventType> focusEventsSeen;

void RecordingCallback(ValidatedText& field, wxEvent& event) {
    if (event.GetEventType() != wxEVT_TEXT) focusEventsSeen.push_back(event.GetEventType());
    ValidatedText::OnValidatedTextEvent(field, event);
}

bool Seen(wxEventType type) {
    return std::find(focusEventsSeen.begin(), focusEventsSeen.end(), type) !=
           focusEventsSeen.end();
}

TEST_F(ValidatedTextTest, FocusChangesOnlyRefreshTheSavedCopy) {
    focusEventsSeen.clear();
    MakeField(KindUnsignedLong, "12");
    ValidatedText* field = new ValidatedText(panel_, KindUnsignedLong, "", "12", 10, 110, 200,
                                             -1, 0, "ntxt2", RecordingCallback);
    ASSERT_TRUE(FocusAndWait(field));
    ASSERT_TRUE(PumpUntil([] { return Seen(wxEVT_SET_FOCUS); }));
    // ChangeValue raises no event, so the field has not seen this text.
    field->ChangeValue("abc");
    EXPECT_EQ(field->SavedCopy(), "12");
    focusEventsSeen.clear();
    ASSERT_TRUE(FocusAndWait(other_));
    ASSERT_TRUE(PumpUntil([] { return Seen(wxEVT_KILL_FOCUS); }));
    EXPECT_EQ(field->GetValue(), "abc");
    EXPECT_EQ(field->SavedCopy(), "abc");
    field->ChangeValue("x1");
    ASSERT_TRUE(FocusAndWait(field));
    ASSERT_TRUE(PumpUntil([] { return Seen(wxEVT_SET_FOCUS); }));
    EXPECT_EQ(field->GetValue(), "x1");
    EXPECT_EQ(field->SavedCopy(), "x1");
}

TEST_F(ValidatedTextTest, AnInitialValueThatFailsIsRestoredWithoutEndlessRepetition) {
    MakeField(KindUnsignedShort, "99999");
    field_->SetInsertionPointEnd();
    Type("1");
    EXPECT_EQ(field_->GetValue(), "99999");
    Type("\b\b\b\b\b7");
    EXPECT_EQ(field_->GetValue(), "7");
}

// The handler judges the text of each event as final, so every way of
// changing the text must come as one event that carries the final text, not
// as a deletion and an insertion with a half-done text in between.  Checked
// on a plain control; the printed counts are for whoever ports the field.
TEST_F(ValidatedTextTest, EveryChangeArrivesAsOneEventWithTheFinalText) {
    MakeField(KindUnsignedLong);
    std::vector<wxString> seen;
    other_->Bind(wxEVT_TEXT, [&seen](wxCommandEvent& e) { seen.push_back(e.GetString()); });
    ASSERT_TRUE(FocusAndWait(other_));
    auto expectOne = [&](const char* what, const wxString& result, auto change) {
        seen.clear();
        change();
        PumpEvents(100);
        std::string texts;
        for (const wxString& s : seen) texts += " [" + s.ToStdString() + "]";
        std::printf("  %-24s %zu event(s):%s\n", what, seen.size(), texts.c_str());
        EXPECT_EQ(seen.size(), 1u) << what;
        EXPECT_EQ(other_->GetValue(), result) << what;
        if (!seen.empty()) {
            EXPECT_EQ(seen.back(), result) << what;
        }
    };
    expectOne("type 1", "1", [&] { sim_.Char('1'); });
    expectOne("type 2", "12", [&] { sim_.Char('2'); });
    expectOne("Backspace", "1", [&] { sim_.Char(WXK_BACK); });
    expectOne("select all, type 3", "3", [&] { other_->SelectAll(); sim_.Char('3'); });
    expectOne("SetValue 45", "45", [&] { other_->SetValue("45"); });
    expectOne("SetValue 45 again", "45", [&] { other_->SetValue("45"); });
    expectOne("SetValue empty", "", [&] { other_->SetValue(""); });
    expectOne("SetValue 6", "6", [&] { other_->SetValue("6"); });
    expectOne("WriteText 78", "678", [&] { other_->SetInsertionPointEnd(); other_->WriteText("78"); });
    expectOne("Replace 0..1 by 9", "978", [&] { other_->Replace(0, 1, "9"); });
    expectOne("Remove 0..1", "78", [&] { other_->Remove(0, 1); });
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTheClipboard->SetData(new wxTextDataObject("123"));
    wxTheClipboard->Close();
    expectOne("paste at end", "78123", [&] {
        other_->SetInsertionPointEnd();
        sim_.Char('v', wxMOD_CONTROL);
    });
    expectOne("select all, paste", "123", [&] {
        other_->SelectAll();
        sim_.Char('v', wxMOD_CONTROL);
    });
    seen.clear();
    other_->ChangeValue("0");
    PumpEvents(50);
    EXPECT_TRUE(seen.empty());
}

}  // namespace
}  // namespace quillet
