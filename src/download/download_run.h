#pragma once
// What one download's threads share: a snapshot of the plan taken when the download starts,
// and the bookkeeping that keeps two downloads apart.
//
// Each download gets a number. Workers and progress steps carry the snapshot of their own
// download and write (PartTexts, ChaptersDone, the progress display, the failure list) only
// while that number is current, so a stopped download that is still finishing its chapter never
// reaches the next one. The number changes under both State().partsLock and the progress lock.

#include <array>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "app/runtime.h"

namespace dl {

enum class Source { A, B };

struct Job {
    int number = 0;
    Source source = Source::A;
    int total = 0;                 // chapters of the novel
    std::array<int, 3> shares{};   // chapters of workers 1, 2 and 3
    int slot = 0;                  // result slot being downloaded
    Text base;                     // A: the site's base address; B: the table of contents' address
    Text key;                      // A: the novel's key
    std::vector<Text> links;       // B: the entries of the table of contents
};

// Makes `job` the current download: gives it the next number, counts from 0, empties the three
// worker texts and the failure list. Window's thread.
void BeginDownload(const std::shared_ptr<Job>& job);
std::shared_ptr<const Job> CurrentJob();
bool IsCurrent(const Job& job);
// The download goes on: it is current, not stopped by the user and no shutdown is under way.
bool StillRunning(const Job& job);

// Fetches a chapter page, trying a page that comes back empty or without the chapter-text
// markers up to two more times, after the retry pauses; gives up early when the download stops.
// `ok` tells whether the markers were found in the end.
Text FetchChapter(const Job& job, const Text& url, bool fromUtf8, std::string_view textStart,
                  std::string_view textEnd, bool& ok);

// Appends one chapter record to worker k's text and, while the download goes on, records a
// failed chapter and starts one progress step. `order` is the chapter's place in the saved
// novel, used to list failures in reading order. False when the worker must end.
bool DeliverChapter(const std::shared_ptr<const Job>& job, int k, const Text& record, bool ok,
                    int order, const Text& failedTitle);

// The progress step for one counted chapter of `job`.
void ProgressStepFor(const Job& job);

// The whole progress step runs under this lock, so overlapping steps never lose a widening of
// the bar; it also guards the failure list and the current job.
std::mutex& ProgressLock();
struct FailedChapter {
    int order;
    Text title;
};
std::vector<FailedChapter>& FailedChapters();  // hold ProgressLock()

void RunSourceAWorker(const std::shared_ptr<const Job>& job, int k);
void RunSourceBWorker(const std::shared_ptr<const Job>& job, int k);

// Chapters before worker k's share.
int ShareStart(const Job& job, int k);

}  // namespace dl
