// LoadLibraryA on the compiled resource module, its strings in both
// languages and its dialog template.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <set>
#include <cstring>
#include <string>

namespace {

const std::string kModule = std::string(BRONTAR_BIN_DIR) + "/_brntrst.loc";

// Sets one locale variable for the life of the object.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* value) {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) ::unsetenv(name);
        if (value != nullptr) ::setenv("LANG", value, 1);
    }
    ~ScopedLocale() { ::unsetenv("LANG"); }
};

std::string Load(HMODULE module, UINT id, int size = 256) {
    std::string buffer(static_cast<size_t>(size), '?');
    int length = LoadStringA(module, id, buffer.data(), size);
    EXPECT_EQ(static_cast<size_t>(length), std::strlen(buffer.c_str()));
    return buffer.c_str();
}

TEST(ResourceModuleTest, StringsFollowTheUserLanguage) {
    HMODULE module = LoadLibraryA(kModule.c_str());
    ASSERT_NE(module, nullptr);
    {
        ScopedLocale english("en_US.UTF-8");
        EXPECT_EQ(Load(module, 27), " file missing");
        EXPECT_EQ(Load(module, 28), "Brontar 3D Error");
        EXPECT_EQ(Load(module, 24), "Brontar 3D");
    }
    {
        ScopedLocale japanese("ja_JP.UTF-8");
        EXPECT_EQ(Load(module, 27), "ﾌｧｲﾙが見つかりません。");
        EXPECT_EQ(Load(module, 28), "Brontar 3D ｴﾗｰ");
    }
    {
        ScopedLocale unset(nullptr);
        ::setenv("LC_ALL", "ja_JP", 1);  // LC_ALL outranks LANG
        ::setenv("LANG", "en_US", 1);
        EXPECT_EQ(Load(module, 28), "Brontar 3D ｴﾗｰ");
        ::unsetenv("LC_ALL");
    }
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(ResourceModuleTest, EveryPageStringExistsInBothLanguages) {
    HMODULE module = LoadLibraryA(kModule.c_str());
    ASSERT_NE(module, nullptr);
    for (const char* locale : {"en_US", "ja_JP"}) {
        ScopedLocale scoped(locale);
        for (UINT id : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31})
            EXPECT_FALSE(Load(module, id).empty()) << locale << " string " << id;
        // The placeholder for a missing limit is read into 8 bytes.
        char placeholder[8];
        EXPECT_GT(LoadStringA(module, 25, placeholder, sizeof placeholder), 0);
        EXPECT_EQ(std::string(placeholder), Load(module, 25)) << "string 25 must fit 7 bytes in " << locale;
    }
    FreeLibrary(module);
}

TEST(ResourceModuleTest, ShortBuffersCutWholeCharactersOnly) {
    HMODULE module = LoadLibraryA(kModule.c_str());
    ASSERT_NE(module, nullptr);
    ScopedLocale japanese("ja_JP");
    // "ﾌｧｲﾙ..." is made of three-byte characters: 8 bytes of room hold two.
    char buffer[9];
    EXPECT_EQ(LoadStringA(module, 27, buffer, sizeof buffer), 6);
    EXPECT_STREQ(buffer, "ﾌｧ");
    char one[1] = {'x'};
    EXPECT_EQ(LoadStringA(module, 27, one, 1), 0);
    EXPECT_EQ(one[0], '\0');
    char missing[16] = "unchanged";
    EXPECT_EQ(LoadStringA(module, 17, missing, sizeof missing), 0);
    EXPECT_STREQ(missing, "");
    EXPECT_EQ(LoadStringA(module, 2, nullptr, 10), 0);
    FreeLibrary(module);
}

TEST(ResourceModuleTest, DialogTemplateHoldsEveryControlOfThePage) {
    HMODULE module = LoadLibraryA(kModule.c_str());
    ASSERT_NE(module, nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(113), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    const auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(p, nullptr);
    const int count = p[8] | (p[9] << 8);
    EXPECT_EQ(p[14] | (p[15] << 8), 227);
    EXPECT_EQ(p[16] | (p[17] << 8), 215);
    // Walk the items: header 18 bytes, class and title (ordinal or text), extra count.
    const uint8_t* end = p + SizeofResource(module, found);
    size_t offset = 18 + 4;  // header, menu, class
    auto skipText = [&](size_t at) {
        if (p[at] == 0xFF && p[at + 1] == 0xFF) return at + 4;
        while (p[at] | p[at + 1]) at += 2;
        return at + 2;
    };
    offset = skipText(offset);  // caption
    offset += 2;                // point size
    offset = skipText(offset);  // face
    std::set<int> ids;
    for (int i = 0; i < count; ++i) {
        offset = (offset + 3) & ~size_t{3};
        ASSERT_LT(p + offset + 18, end);
        ids.insert(p[offset + 16] | (p[offset + 17] << 8));
        offset = skipText(offset + 18);
        offset = skipText(offset);
        offset += 2;
    }
    for (int id : {1003, 1005, 1007, 1012, 1025, 1026, 1027, 1028, 1030, 1036, 1038, 1040, 1041, 1042, 1043,
                   1044, 1045, 1046, 1048, 1049, 1050, 1051, 1052, 1053, 1054, 1056, 1061, 1062, 1063, 1064,
                   1065, 1066, 1067, 1068, 1069})
        EXPECT_TRUE(ids.count(id)) << "control " << id;
    FreeLibrary(module);
}

}  // namespace
