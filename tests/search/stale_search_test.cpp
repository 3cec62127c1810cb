// A search still waiting for a slow site when a newer search begins must not write anything
// afterwards: not its slots, not its captions, not the tip label, not source A's keys.

#include "search/search_shared.h"
#include "search_fixture.h"

namespace srchtest {
namespace {

struct Snapshot {
    Slot slots[5];
    std::vector<Text> captions;
    Text tip;
    Text keys[2];
    bool operator==(const Snapshot& o) const {
        for (int i = 0; i < 5; ++i)
            if (!(slots[i] == o.slots[i])) return false;
        return captions == o.captions && tip == o.tip && keys[0] == o.keys[0] && keys[1] == o.keys[1];
    }
};

Snapshot Take() {
    Snapshot s;
    for (int n = 1; n <= 5; ++n) s.slots[n - 1] = ReadSlot(n);
    s.captions = Captions();
    s.tip = Tip();
    std::lock_guard lock(State().resultsLock);
    s.keys[0] = State().SourceAKeys[1];
    s.keys[1] = State().SourceAKeys[2];
    return s;
}

fake::Novel MakeNovel(const std::string& name, int chapters) {
    fake::Novel n;
    n.name = name;
    n.author = "author of " + name;
    n.intro = "intro";
    for (int i = 1; i <= chapters; ++i) n.chapters.push_back({"c" + std::to_string(i), {"p"}});
    n.latest = n.chapters.back().title;
    return n;
}

class StaleSearchTest : public SearchTest {};

TEST_F(StaleSearchTest, OlderSearchNeverOverwritesANewerOne) {
    static const std::vector<fake::ShelvedNovel> shelf = {
        {MakeNovel("Old Harbor", 5), "old1"}, {MakeNovel("Old Harbor Two", 6), "old2"},
        {MakeNovel("New Light", 7), "new1"},  {MakeNovel("New Light Two", 8), "new2"}};
    fake::InstallShelf(a, b, c, shelf);
    // The old title's search pages wait at a gate; behind it they answer with full results.
    for (fake::FakeSite* site : {&a, &b, &c}) {
        const std::string target = site == &a   ? fake::SourceASearchTarget("Old")
                                   : site == &b ? fake::SourceBSearchTarget("Old")
                                                : fake::SourceCSearchTarget("Old");
        std::vector<fake::Listed> listed = {{&shelf[0].novel, ""}, {&shelf[1].novel, ""}};
        std::string page;
        if (site == &a) {
            listed[0].address = "old1";
            listed[1].address = "old2";
            page = fake::SourceASearchPage(listed);
        } else if (site == &b) {
            listed[0].address = "/book/old1.html";
            listed[1].address = "/book/old2.html";
            page = fake::SourceBListPage(listed);
        } else {
            listed[0].address = c.Url("/txt/old1.html");
            listed[1].address = c.Url("/txt/old2.html");
            page = fake::SourceCSearchPage(listed);
        }
        site->Handle(target, [this, site, page](const httplib::Request&, httplib::Response& res) {
            gate.Wait(*site);
            res.set_content(page, site->Port() == 0 ? "" : "text/html");
        });
    }

    Type("Old");
    const int old = srch::BeginSearch();
    rt::StartThread([old] { srch::RunSourceASearch(old); });
    rt::StartThread([old] { srch::RunSourceBSearch(old); });
    rt::StartThread([old] { srch::RunSourceCSearch(old); });
    ASSERT_TRUE(gate.WaitUntilWaiting(3));

    // The newer search runs to its end while the old one still waits.
    Type("New");
    const int newer = srch::BeginSearch();
    srch::RunSourceASearch(newer);
    srch::RunSourceBSearch(newer);
    srch::RunSourceCSearch(newer);
    const Snapshot afterNewer = Take();
    ASSERT_EQ(afterNewer.captions, (std::vector<Text>{kOne, kTwo, kThree, kTwo, kOne}));
    ASSERT_EQ(afterNewer.slots[0].name, "New Light");

    gate.Open();
    ASSERT_TRUE(rt::WaitForThreads(20000));

    EXPECT_EQ(Take(), afterNewer);
    // The old searches did get their pages: they stopped writing, they were not starved.
    EXPECT_GE(a.Targets().size(), 3u);
}

}  // namespace
}  // namespace srchtest
