// What the resource loader must do: strings come in the interface language when the
// program has it (French here) and in English otherwise (German), cut to the buffer, and
// a string the program lacks loads as nothing. The Wine runs set the language with LANG;
// the native run plants it. Both read QUENLATH_UI_LANGUAGE to know which to expect.

#include "contract/ContractSupport.h"
#include "res/resource.h"

using namespace contract;

namespace {

constexpr WORD kFrench = 1036;

class ResourceStrings : public ContractTest {
protected:
    // The string and LoadStringW's count, for a buffer of bufferChars.
    std::pair<int, std::u16string> Load(UINT id, int bufferChars = 256) {
        std::vector<wchar16> buffer(static_cast<size_t>(bufferChars) + 1, u'#');
        int count = platform().LoadStringW(program, id, buffer.data(), bufferChars);
        return {count, TextBefore(buffer)};
    }

    static std::u16string Expected(const char16_t* english, const char16_t* french) {
        return InterfaceLanguage() == kFrench ? french : english;
    }

    HINSTANCE program = platform().GetModuleHandleW(nullptr);
};

} // namespace

TEST_F(ResourceStrings, ComeInTheInterfaceLanguageOrElseInEnglish) {
    std::u16string about = Expected(u"About", u"À propos de Quenlath");
    EXPECT_EQ(std::make_pair(static_cast<int>(about.size()), about), Load(IDS_ABOUT));
    std::u16string needAdmin =
        Expected(u"Administrator's authority is needed to execute the Quenlath.",
                 u"L’exécution de Quenlath nécessite des droits d’administrateur.");
    EXPECT_EQ(needAdmin, Load(IDS_NEED_ADMIN).second);
}

TEST_F(ResourceStrings, TheToolNameIsTheSameInEveryLanguage) {
    EXPECT_EQ(std::make_pair(12, std::u16string(u"MorvessaTool")), Load(IDS_TOOL_NAME));
}

TEST_F(ResourceStrings, AStringLongerThanTheBufferIsCutAndTerminated) {
    std::u16string full = Load(IDS_APP_TITLE).second;
    ASSERT_EQ(u"Quenlath", full);
    EXPECT_EQ(std::make_pair(4, std::u16string(u"Quen")), Load(IDS_APP_TITLE, 5));
}

TEST_F(ResourceStrings, AStringTheProgramLacksLoadsAsNothing) {
    EXPECT_EQ(0, Load(IDS_UNSUPPORTED_OS + 1).first); // in the block of the existing ones
    EXPECT_EQ(0, Load(4000).first);                   // in a block the program lacks
}
