// Digitfield model speed: laying a cleaned number into the default format, and a full
// Value set (text of the value, clean, format, show, change detection) on a fake text box.
#include <benchmark/benchmark.h>

#include <string>

#include "numberentry/digitfield_model.h"
#include "numberentry/number_text.h"

namespace {

using namespace cadencer;
using namespace cadencer::numberentry;

class MemoryTextBox : public DigitfieldPlatform {
public:
    void GetText(std::u16string& out) const override { out = text_; }
    int TextLength() const override { return static_cast<int>(text_.size()); }
    void SetText(std::u16string_view t) override { text_.assign(t); }
    int SelStart() const override { return 0; }
    int SelLength() const override { return 0; }
    void Select(int, int) override {}
    void StartTimer(int) override {}
    void StopTimer() override {}
    void Beep() override {}
    void SetClipboardText(std::u16string_view) override {}
    std::optional<std::u16string> ClipboardText() override { return std::nullopt; }

private:
    std::u16string text_;
};

void BM_ApplyFormat(benchmark::State& state) {
    const std::u16string numbers[] = {u"1234.5", u"-1234.5", u"12", u"0.5", u"1234567.891", u""};
    std::u16string text, mask;
    text.reserve(32);
    mask.reserve(32);
    std::size_t i = 0;
    for (auto _ : state) {
        const std::u16string& n = numbers[i++ % 6];
        text.assign(n);
        const bool nonNegative = !(n.size() > 0 && n[0] == u'-');
        ApplyFormat(text, kDefaultFormat, {nonNegative, false, false}, mask);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_ApplyFormat);

void BM_ValueSet(benchmark::State& state) {
    MemoryTextBox box;
    DigitfieldModel model(box);
    const double values[] = {1234.5, -5.25, 12, 0.5, 999999.99, 42};
    std::size_t i = 0;
    for (auto _ : state) {
        model.SetValue(Variant::Double(values[i++ % 6]));
    }
}
BENCHMARK(BM_ValueSet);

}  // namespace

BENCHMARK_MAIN();
