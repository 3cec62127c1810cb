#pragma once
// A sample novel, the material every page builder of the fake and demo sites works from.
// All texts are UTF-8 here; a builder converts to GBK for source B's pages.

#include <string>
#include <vector>

namespace fake {

struct Chapter {
    std::string title;
    std::vector<std::string> paragraphs;
};

struct Novel {
    std::string name;
    std::string author;
    std::string intro;   // may hold "<br/>" line breaks as the sites write them
    std::string latest;  // title of the latest chapter
    std::vector<Chapter> chapters;
};

}  // namespace fake
