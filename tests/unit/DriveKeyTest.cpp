#include "LocatorTestSupport.h"

using namespace locator_test;

namespace {

class DriveKeyTest : public LocatorTest {
protected:
    // The key derived from the instance ID; m_result holds the operation's result.
    std::u16string KeyOf(const std::u16string& instanceId) {
        StrCopy(m_szKey, 40, u"previous");
        m_result = access.ExtractDriveKey(instanceId.c_str(), m_szKey, 40);
        return m_szKey;
    }

    wchar16 m_szKey[40] = {};
    BOOL m_result = FALSE;
};

const std::u16string k39(39, u'K');
const std::u16string k40(40, u'K');

} // namespace

// USB form.

TEST_F(DriveKeyTest, UsbKeyIsThePartAfterFragmentAndSeparator) {
    EXPECT_EQ(KeyOf(u"USB\\VID_2B47&PID_0A10\\SN000123"), u"SN000123");
    EXPECT_TRUE(m_result);
}

TEST_F(DriveKeyTest, UsbKeyOf39CharactersFits) {
    EXPECT_EQ(KeyOf(u"USB\\VID_2B47&PID_0801\\" + k39), k39);
    EXPECT_TRUE(m_result);
}

TEST_F(DriveKeyTest, UsbKeyOf40CharactersIsRejectedButLeftInBuffer) {
    EXPECT_EQ(KeyOf(u"USB\\VID_2B47&PID_0801\\" + k40), k39);
    EXPECT_FALSE(m_result);
}

TEST_F(DriveKeyTest, UsbKeyIsCutAtInterfaceGuid) {
    EXPECT_EQ(KeyOf(u"USB\\VID_2B47&PID_0801\\AB#{CD"), u"AB");
    EXPECT_EQ(KeyOf(u"USB\\VID_2B47&PID_0801\\" + k39.substr(5) + u"#{" + k39), k39.substr(5));
    EXPECT_TRUE(m_result);
}

TEST_F(DriveKeyTest, LowerCaseIdGivesUpperCaseKey) {
    EXPECT_EQ(KeyOf(u"usb\\vid_2b47&pid_0c21\\sn0a"), u"SN0A");
    EXPECT_EQ(KeyOf(u"ide\\cdromslimtype_x\\1"), u"IDE#CDROMSLIMTYPE");
}

TEST_F(DriveKeyTest, UsbFormWinsOverIdeForm) {
    EXPECT_EQ(KeyOf(u"IDE\\CDROMVELTRANO\\VID_2B47&PID_0802\\SN9"), u"SN9");
}

TEST_F(DriveKeyTest, FragmentsAreTriedInTableOrderNotByPosition) {
    EXPECT_EQ(KeyOf(u"X\\VID_2B47&PID_0802\\FIRST\\VID_2B47&PID_0801\\SECOND"), u"SECOND");
}

TEST_F(DriveKeyTest, RejectedFragmentMakesWayForTheNext) {
    EXPECT_EQ(KeyOf(u"VID_2B47&PID_0802\\A#{\\VID_2B47&PID_0801\\" + k40), u"A");
    EXPECT_EQ(KeyOf(u"USB\\VID_2B47&PID_0801\\" + k40 + u"\\IDE\\CDROMVELTRANO"),
              u"IDE#CDROMVELTRANO");
}

TEST_F(DriveKeyTest, FragmentAtEndGivesEmptyKey) {
    EXPECT_EQ(KeyOf(u"USB\\VID_2B47&PID_0A11"), u"");
    EXPECT_TRUE(m_result);
}

// IDE and DVD-RAM forms.

TEST_F(DriveKeyTest, IdeKeyIsTheHashFormOfThePrefix) {
    EXPECT_EQ(KeyOf(u"IDE\\CDROMSLIMTYPE_DVD\\5&1&0"), u"IDE#CDROMSLIMTYPE");
    EXPECT_EQ(KeyOf(u"STORAGE#IDE#CDROMVELTRANO#1"), u"IDE#CDROMVELTRANO");
    EXPECT_EQ(KeyOf(u"IDE\\CDROMSLIMTYPE\\IDE\\CDROMVELTRANO"), u"IDE#CDROMVELTRANO");
}

TEST_F(DriveKeyTest, DvdRamKeyIsTheInstancePart) {
    EXPECT_EQ(KeyOf(u"DVDRAM\\CDROM\\6&1f&0&0"), u"6&1F&0&0");
    EXPECT_EQ(KeyOf(u"DVDRAM\\CDROM"), u"");
    EXPECT_TRUE(m_result);
}

TEST_F(DriveKeyTest, DvdRamKeyTooLongWithoutInterfaceGuidIsRejected) {
    KeyOf(u"DVDRAM\\CDROM\\" + k40);
    EXPECT_FALSE(m_result);
    EXPECT_EQ(KeyOf(u"DVDRAM\\CDROM\\AB#{" + k40), u"AB");
}

TEST_F(DriveKeyTest, UnknownIdGivesNoKey) {
    EXPECT_EQ(KeyOf(u"IDE\\CDROMOTHER\\1"), u"previous");
    EXPECT_FALSE(m_result);
}

TEST_F(DriveKeyTest, IdIsCutAt259CharactersBeforeTheSearch) {
    std::u16string filler(250, u'F');
    EXPECT_EQ(KeyOf(filler + u"IDE\\CDROMVELTRANO"), u"previous");
    EXPECT_FALSE(m_result);
    EXPECT_EQ(KeyOf(filler.substr(8) + u"IDE\\CDROMVELTRANO"), u"IDE#CDROMVELTRANO");
}
