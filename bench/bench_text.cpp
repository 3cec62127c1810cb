// Text cutting and cleaning on a 10 MB GBK text shaped like chapter pages, each beside a plain
// byte search of the same marker on the same text, so the figures compare within one run.
//
//   bench_text --benchmark_min_time=1

#include <benchmark/benchmark.h>
#include <string.h>

#include <random>
#include <string>
#include <string_view>

#include "app/runtime.h"
#include "net/charset.h"
#include "net/extract.h"

namespace {

constexpr size_t kTextBytes = 10 * 1024 * 1024;
const char* const kStart = "id=\"txt\">";
const char* const kEnd = "<div class=\"report";

// One chapter page: page chrome in ASCII, then paragraphs of Chinese separated the ways the
// sites write them, with the blanks, entities and stray tags that the cleaning pairs remove.
// A few characters come from the GBK extension, whose second bytes look like ASCII.
std::string ChapterPage(std::mt19937& rng, int number) {
    std::string page =
        "<!DOCTYPE html><html><head><meta charset=\"gbk\"><title>Chapter " +
        std::to_string(number) +
        "</title><link rel=\"stylesheet\" href=\"/css/style.css\"></head><body>"
        "<div class=\"nav\"><a href=\"/\">Home</a> &gt; <a href=\"/book/1/\">Book</a></div>"
        "<div class=\"content\">\r\n";
    std::uniform_int_distribution<int> common(0, 3754), extension(0, 189 * 31), para(40, 160),
        kind(0, 9);
    for (int p = 0; p < 12; ++p) {
        page += "\xA1\xA1\xA1\xA1";
        const int chars = para(rng);
        for (int c = 0; c < chars; ++c) {
            if (kind(rng) == 0) {
                const int k = extension(rng);
                page += static_cast<char>(0x81 + k / 190 % 32);
                page += static_cast<char>(0x40 + k % 63);
            } else {
                const int k = common(rng);
                page += static_cast<char>(0xB0 + k / 94);
                page += static_cast<char>(0xA1 + k % 94);
            }
            if (c % 37 == 36) page += kind(rng) < 5 ? "&nbsp;" : " ";
        }
        page += (p % 3 == 0) ? "<br/><br/>" : (p % 3 == 1) ? "</p><p>" : "<br/>\r\n";
    }
    page += "</div></div><div class=\"footer\">Copyright &copy; demo</div></body></html>\r\n";
    return page;
}

struct Corpus {
    std::string gbk;   // many pages, with the one marked chapter text near the end
    std::string utf8;  // the same text in UTF-8
};

const Corpus& TheCorpus() {
    static const Corpus corpus = [] {
        std::mt19937 rng(936);
        Corpus c;
        c.gbk.reserve(kTextBytes + 64 * 1024);
        int n = 0;
        while (c.gbk.size() < kTextBytes - 32 * 1024) c.gbk += ChapterPage(rng, ++n);
        c.gbk += std::string(kStart) + ChapterPage(rng, ++n) + kEnd + "\">report</div>";
        while (c.gbk.size() < kTextBytes) c.gbk += ChapterPage(rng, ++n);
        c.utf8 = AnsiToUtf8(c.gbk);
        return c;
    }();
    return corpus;
}

void BM_PlainFind(benchmark::State& state) {
    const std::string_view text = TheCorpus().gbk;
    for (auto _ : state) {
        const size_t s = text.find(kStart);
        const size_t e = text.find(kEnd, s);
        benchmark::DoNotOptimize(e);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_PlainFind)->Unit(benchmark::kMillisecond);

void BM_PlainMemmem(benchmark::State& state) {
    const std::string_view text = TheCorpus().gbk;
    for (auto _ : state) {
        const void* s = memmem(text.data(), text.size(), kStart, strlen(kStart));
        benchmark::DoNotOptimize(s);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_PlainMemmem)->Unit(benchmark::kMillisecond);

void BM_TextBetween(benchmark::State& state) {
    const std::string_view text = TheCorpus().gbk;
    for (auto _ : state) benchmark::DoNotOptimize(TextBetween(text, kStart, kEnd));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_TextBetween)->Unit(benchmark::kMillisecond);

void BM_TextBetweenIgnoreCase(benchmark::State& state) {
    const std::string_view text = TheCorpus().gbk;
    for (auto _ : state) benchmark::DoNotOptimize(TextBetween(text, kStart, kEnd, 0, true));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_TextBetweenIgnoreCase)->Unit(benchmark::kMillisecond);

void BM_ReplaceManyChapterPairs(benchmark::State& state) {
    const std::string_view text = TheCorpus().gbk;
    const Text fw = "\xA1\xA1", para = "\xA1\xA1\xA1\xA1\r\n";
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReplaceMany(
            text, {{"</div>", ""}, {" ", ""}, {fw, ""}, {"<br/><br/>", para}, {"&nbsp;", ""}}));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReplaceManyChapterPairs)->Unit(benchmark::kMillisecond);

// Each cleaning pair alone, to see where the time of the five goes.
void BM_ReplaceOnePair(benchmark::State& state) {
    const std::string_view text = TheCorpus().gbk;
    const ReplacePair pairs[] = {{"</div>", ""},
                                 {" ", ""},
                                 {"\xA1\xA1", ""},
                                 {"<br/><br/>", "\xA1\xA1\xA1\xA1\r\n"},
                                 {"&nbsp;", ""}};
    const ReplacePair pair = pairs[state.range(0)];
    for (auto _ : state) benchmark::DoNotOptimize(ReplaceMany(text, {pair}));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReplaceOnePair)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void BM_Utf8ToAnsi(benchmark::State& state) {
    const std::string_view utf8 = TheCorpus().utf8;
    for (auto _ : state) benchmark::DoNotOptimize(Utf8ToAnsi(utf8));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * utf8.size()));
}
BENCHMARK(BM_Utf8ToAnsi)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
