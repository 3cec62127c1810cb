#pragma once
// The program state: one process-wide instance with the names the rest of the program uses.
//
// Rules that keep writers apart:
// - The five result arrays and SourceAKeys[1..2] are written by the source searches and read by
//   the window's thread; every access holds `resultsLock`.
// - SelectedSlot, SavePath, DownloadPlan, TocPage, ChapterLinks and SourceAKeys[3] are written
//   on the window's thread only; workers get what they need before they start.
// - PartTexts[1..3] are appended by the chapter workers and read by the save; every access holds
//   `partsLock`. PartTexts[4] is the save's own (window's thread).
// - SearchCooldown and ChaptersDone are atomics.

#include <array>
#include <atomic>
#include <cstddef>
#include <mutex>
#include <vector>

#include "app/runtime.h"

// A fixed array addressed from 1, as the program's arrays are.
template <class T, std::size_t N>
class Array1 {
public:
    T& operator[](std::size_t i) { return items_.at(i - 1); }
    const T& operator[](std::size_t i) const { return items_.at(i - 1); }
    static constexpr std::size_t size() { return N; }
    void fill(const T& v) { items_.fill(v); }

private:
    std::array<T, N> items_{};
};

struct ProgramState {
    Array1<Text, 5> ResultNames;
    Array1<Text, 5> ResultAuthors;
    Array1<Text, 5> ResultLatest;
    Array1<Text, 5> ResultIntros;
    Array1<Text, 5> ResultLinks;
    int SelectedSlot = 0;
    std::atomic<int> SearchCooldown{0};
    Text SavePath;
    Array1<int, 5> DownloadPlan;
    Array1<Text, 4> PartTexts;
    Array1<Text, 3> SourceAKeys;
    Text TocPage;
    std::vector<Text> ChapterLinks;  // entry n of the table of contents is ChapterLinks[n - 1]
    std::atomic<int> ChaptersDone{0};

    std::mutex resultsLock;
    std::mutex partsLock;
};

// The process-wide state; valid between CreateState() and ReleaseState().
ProgramState& State();
void CreateState();   // a fresh state (replaces any earlier one)
void ReleaseState();  // only once no thread uses the state
bool HasState();      // between CreateState() and ReleaseState()
