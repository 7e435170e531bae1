// Fakes for the Digitfield model's ports: a text box with a selection, a timer, a clipboard
// and a beep counter, and an event sink that records what the control raised.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/variant.h"
#include "numberentry/digitfield_model.h"
#include "utf8.h"

namespace cadencer {
// Readable gtest output for variants.
inline void PrintTo(const Variant& v, std::ostream* os) {
    static const char* const names[] = {"Empty", "Bool", "I16", "I32", "Double", "Date", "String", "Object"};
    *os << names[static_cast<int>(v.Type())];
    if (v.Type() != VariantType::Object) {
        const auto text = v.ToString();
        if (text) *os << "(" << ToUtf8(*text) << ")";
    }
}
}  // namespace cadencer

namespace cadencer::numberentry::testing {

inline std::string U8(std::u16string_view s) {
    return ToUtf8(s);
}

class FakePlatform : public DigitfieldPlatform {
public:
    std::u16string text;
    int selStart = 0, selLength = 0;
    TextAlignment alignment = TextAlignment::Right;
    bool caretVisible = true;
    bool enabled = true, locked = false;
    int beeps = 0, pumps = 0, repaints = 0;
    std::optional<std::u16string> clipboard;
    bool timerOn = false;
    std::vector<int> timerStarts;  // every StartTimer interval, in order
    DigitfieldLayout layout;
    std::map<DigitfieldPart, std::u16string> toolTips;
    DigitfieldModel* model = nullptr;  // for typing

    void GetText(std::u16string& out) const override { out = text; }
    int TextLength() const override { return static_cast<int>(text.size()); }
    void SetText(std::u16string_view t) override {
        text.assign(t);
        selStart = selLength = 0;
    }
    int SelStart() const override { return selStart; }
    int SelLength() const override { return selLength; }
    void Select(int start, int length) override {
        selStart = start;
        selLength = length;
    }
    void SetAlignment(TextAlignment a) override { alignment = a; }
    void SetCaretVisible(bool v) override { caretVisible = v; }
    void ApplyEnabled(bool e) override { enabled = e; }
    void ApplyLocked(bool l) override { locked = l; }
    void Repaint() override { ++repaints; }
    void ApplyLayout(const DigitfieldLayout& l) override { layout = l; }
    void SetPartToolTip(DigitfieldPart part, std::u16string_view tip) override { toolTips[part] = std::u16string(tip); }
    void StartTimer(int ms) override {
        timerOn = true;
        timerStarts.push_back(ms);
    }
    void StopTimer() override { timerOn = false; }
    void Beep() override { ++beeps; }
    void SetClipboardText(std::u16string_view t) override { clipboard = std::u16string(t); }
    std::optional<std::u16string> ClipboardText() override { return clipboard; }
    void ProcessPendingMessages() override { ++pumps; }

    // A character typed into the box: the filter runs, and an accepted character replaces
    // the selection the way the text box does, followed by its change notification.
    bool Type(char16_t c) {
        std::int16_t keyAscii = static_cast<std::int16_t>(c);
        model->txtNumber_KeyPress(keyAscii);
        if (keyAscii == 0) return false;
        if (keyAscii == 8) {
            if (selLength > 0)
                text.erase(selStart, selLength);
            else if (selStart > 0)
                text.erase(--selStart, 1);
        } else {
            text.replace(selStart, selLength, 1, static_cast<char16_t>(keyAscii));
            ++selStart;
        }
        selLength = 0;
        model->txtNumber_Change();
        return true;
    }
    void TypeText(std::u16string_view s) {
        for (char16_t c : s) Type(c);
    }
    void SelectAll() { Select(0, TextLength()); }
    void CaretAtEnd() { Select(TextLength(), 0); }
};

class RecordingEvents : public DigitfieldEvents {
public:
    std::vector<std::string> log;
    std::vector<std::u16string> changed;
    std::function<void()> onChange;
    std::function<void(std::int16_t&)> onKeyPress;

    void Change() override {
        log.push_back("Change");
        if (onChange) onChange();
    }
    void Click() override { log.push_back("Click"); }
    void DblClick() override { log.push_back("DblClick"); }
    void KeyDown(std::int16_t& k, std::int16_t& s) override {
        log.push_back("KeyDown " + std::to_string(k) + "," + std::to_string(s));
    }
    void KeyPress(std::int16_t& k) override {
        log.push_back("KeyPress " + std::to_string(k));
        if (onKeyPress) onKeyPress(k);
    }
    void KeyUp(std::int16_t& k, std::int16_t& s) override {
        log.push_back("KeyUp " + std::to_string(k) + "," + std::to_string(s));
    }
    void MouseMove(std::int16_t&, std::int16_t&, float&, float&) override { log.push_back("MouseMove"); }
    void MouseUp(std::int16_t&, std::int16_t&, float&, float&) override { log.push_back("MouseUp"); }
    void MouseDown(std::int16_t&, std::int16_t&, float&, float&) override { log.push_back("MouseDown"); }
    void PropertyChanged(std::u16string_view name) override { changed.emplace_back(name); }

    int Count(const std::string& entry) const {
        int n = 0;
        for (const auto& e : log) n += e == entry;
        return n;
    }
};

// A model wired to the fakes.
struct Rig {
    FakePlatform platform;
    RecordingEvents events;
    DigitfieldModel model{platform};
    Rig() {
        platform.model = &model;
        model.SetEventSink(&events);
    }
    std::string Shown() const { return U8(platform.text); }
    void Focus() { model.txtNumber_GotFocus(); }
    void Blur() {
        model.UserControl_LostFocus();
        model.txtNumber_LostFocus();
    }
    void Key(std::int16_t keyCode, std::int16_t shift = 0) { model.txtNumber_KeyDown(keyCode, shift); }
    void KeyRelease(std::int16_t keyCode, std::int16_t shift) { model.txtNumber_KeyUp(keyCode, shift); }
    void PressSpinner(bool upper) {
        std::int16_t b = kLeftButton, s = 0;
        float x = 100, y = upper ? 10.0f : static_cast<float>(model.Layout().spinner.height - 10);
        model.UpDown1_MouseDown(b, s, x, y);
    }
    void ReleaseSpinner() {
        std::int16_t b = kLeftButton, s = 0;
        float x = 100, y = 10;
        model.UpDown1_MouseUp(b, s, x, y);
    }
};

}  // namespace cadencer::numberentry::testing
