// Base addresses of the three sites: compiled in, replaceable by environment variables.

#include <cstdlib>

#include "search_fixture.h"

namespace srchtest {
namespace {

class SourceBasesTest : public ::testing::Test {
protected:
    void TearDown() override {
        unsetenv("SORVANE_SOURCE_A");
        unsetenv("SORVANE_SOURCE_B");
        unsetenv("SORVANE_SOURCE_C");
        SetSourceBases("http://127.0.0.1:18081", "http://127.0.0.1:18082", "http://127.0.0.1:18083");
    }
};

TEST_F(SourceBasesTest, CompiledInBasesAreTheDemoSites) {
    unsetenv("SORVANE_SOURCE_A");
    unsetenv("SORVANE_SOURCE_B");
    unsetenv("SORVANE_SOURCE_C");
    SetSourceBases("http://127.0.0.1:18081", "http://127.0.0.1:18082", "http://127.0.0.1:18083");
    LoadSourceBases();
    EXPECT_EQ(SourceABase(), "http://127.0.0.1:18081");
    EXPECT_EQ(SourceBBase(), "http://127.0.0.1:18082");
    EXPECT_EQ(SourceCBase(), "http://127.0.0.1:18083");
}

TEST_F(SourceBasesTest, EnvironmentReplacesABaseOnlyWithAWebAddress) {
    struct Case {
        const char* value;
        const char* expected;  // nullptr: ignored, the earlier base stays
    };
    const Case cases[] = {
        {"https://novels.example.test", "https://novels.example.test"},
        {"http://127.0.0.1:8080/", "http://127.0.0.1:8080"},
        {"HTTP://localhost:9000", "HTTP://localhost:9000"},
        {"http://[::1]:8080", "http://[::1]:8080"},
        {"http://localhost/mirror", "http://localhost/mirror"},
        {"ftp://127.0.0.1", nullptr},
        {"127.0.0.1:8080", nullptr},
        {"http://", nullptr},
        {"http://host:port", nullptr},
        {"http://host:99999", nullptr},
        {"http://a b", nullptr},
        {"http://host/?q=1", nullptr},
        {"javascript:alert(1)", nullptr},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.value);
        SetSourceBases("http://127.0.0.1:1", "http://127.0.0.1:2", "http://127.0.0.1:3");
        setenv("SORVANE_SOURCE_B", tc.value, 1);
        testing::internal::CaptureStderr();
        LoadSourceBases();
        const std::string warning = testing::internal::GetCapturedStderr();
        EXPECT_EQ(SourceABase(), "http://127.0.0.1:1");
        EXPECT_EQ(SourceCBase(), "http://127.0.0.1:3");
        if (tc.expected) {
            EXPECT_EQ(SourceBBase(), tc.expected);
            EXPECT_EQ(warning, "");
        } else {
            EXPECT_EQ(SourceBBase(), "http://127.0.0.1:2");
            EXPECT_NE(warning.find("SORVANE_SOURCE_B"), std::string::npos) << warning;
        }
    }
}

TEST_F(SearchTest, RequestAddressesEncodeTheTitleForEachSite) {
    enum Source { A, B, C };
    struct Case {
        const char* name;
        Source source;
        std::string title;  // UTF-8
        std::string target;
        Text tip;  // after a search page the site does not have
    };
    const Case cases[] = {
        {"A ascii", A, "abc", "/search.html?searchkey=%61%62%63", kFailed},
        {"A chinese", A, U8(u8"中"), "/search.html?searchkey=%E4%B8%AD", kFailed},
        {"B ascii", B, "abc", "/modules/article/search.php?searchtype=keywords&searchkey=%61%62%63", kFailed},
        {"B chinese", B, U8(u8"中"), "/modules/article/search.php?searchtype=keywords&searchkey=%D6%D0", kFailed},
        {"C ascii", C, "abc", "/index.php?keyword=%61%62%63", ""},
        {"C chinese", C, U8(u8"中"), "/index.php?keyword=%E4%B8%AD", ""},
        {"C symbols", C, "a+b&c", "/index.php?keyword=%61%2B%62%26%63", ""},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        ui::ResetControls();
        fake::FakeSite& site = tc.source == A ? a : tc.source == B ? b : c;
        site.ClearRequests();
        Type(tc.title);

        (tc.source == A ? SourceASearch : tc.source == B ? SourceBSearch : SourceCSearch)();

        const auto requests = site.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].method, "GET");
        EXPECT_EQ(requests[0].target, tc.target);
        EXPECT_EQ(Tip(), tc.tip);
    }
}

}  // namespace
}  // namespace srchtest
