#include "assets/AssetLoader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// A move-only asset like the real ones: its payload moves with it.
struct Note {
    std::unique_ptr<std::string> text;
};

class NoteLoader : public AssetLoader<Note> {
public:
    NoteLoader() : AssetLoader<Note>("notes/") {}
    Note load(const std::string& name) override {
        ++loads;
        return Note{std::make_unique<std::string>(directory + name)};
    }
    using AssetLoader<Note>::append;
    int loads = 0;
};

TEST(AssetLoader, SecondGetReturnsTheSameObjectWithoutLoading) {
    NoteLoader loader;
    Note& first = loader.get("a.txt");
    Note& second = loader.get(std::string("a.txt"));
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(loader.loads, 1);
    EXPECT_EQ(*first.text, "notes/a.txt");
}

TEST(AssetLoader, EarlyReferencesSurviveManyLaterLoads) {
    NoteLoader loader;
    Note& early = loader.get("early");
    const std::string* payload = early.text.get();
    for (int i = 0; i < 5000; ++i) {
        loader.get(std::to_string(i).append(".n"));
    }
    EXPECT_EQ(&loader.get("early"), &early);
    EXPECT_EQ(early.text.get(), payload);
    EXPECT_EQ(*early.text, "notes/early");
    EXPECT_EQ(loader.size(), 5001u);
}

TEST(AssetLoader, KeysCompareByteForByte) {
    NoteLoader loader;
    loader.get("Rock.png");
    loader.get("rock.png");
    loader.get("tex/rock.png");
    loader.get("tex\\rock.png");
    EXPECT_EQ(loader.loads, 4);
    EXPECT_EQ(loader.nameAt(3), "tex\\rock.png");
}

TEST(AssetLoader, AppendedDuplicateNeverWinsOverTheEarlierEntry) {
    NoteLoader loader;
    Note& original = loader.get("x");
    loader.append("x", Note{std::make_unique<std::string>("later")});
    EXPECT_EQ(&loader.get("x"), &original);
    EXPECT_EQ(loader.size(), 2u);
    EXPECT_EQ(*loader.at(1).text, "later");
}

TEST(AssetLoader, AccessByPositionIsBoundsChecked) {
    NoteLoader loader;
    loader.get("one");
    EXPECT_THROW(loader.at(1), std::out_of_range);
    EXPECT_THROW(loader.nameAt(7), std::out_of_range);
    EXPECT_EQ(loader.baseDirectory(), "notes/");
}

} // namespace

#include "assets/Store.h"

namespace {

TEST(Store, PositionsAndReferencesStayValidAsItGrows) {
    Store<Note> store;
    EXPECT_EQ(store.push(Note{std::make_unique<std::string>("first")}), 0u);
    Note& first = store.at(0);
    for (int i = 1; i < 3000; ++i) {
        EXPECT_EQ(store.push(Note{std::make_unique<std::string>(std::to_string(i))}), uint32_t(i));
    }
    EXPECT_EQ(&store.at(0), &first);
    EXPECT_EQ(*first.text, "first");
    EXPECT_EQ(*store.at(2999).text, "2999");
    EXPECT_THROW(store.at(3000), std::out_of_range);
}

} // namespace
