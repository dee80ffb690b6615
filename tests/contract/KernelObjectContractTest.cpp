// What the named mutex calls must do: a new name clears the last error, a second creation
// opens the same mutex with ERROR_ALREADY_EXISTS, another kind of object under the name
// makes creation fail, and ownership is counted.

#include "contract/ContractSupport.h"

using namespace contract;

namespace {

constexpr DWORD kErrorNotOwner = 288;

class ScopedKernelHandle {
public:
    explicit ScopedKernelHandle(HANDLE handle) : m_handle(handle) {}
    ~ScopedKernelHandle() { Close(); }
    ScopedKernelHandle(const ScopedKernelHandle&) = delete;
    ScopedKernelHandle& operator=(const ScopedKernelHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    BOOL Close() {
        BOOL closed = TRUE;
        if (m_handle != nullptr) {
            closed = platform().CloseHandle(m_handle);
            m_handle = nullptr;
        }
        return closed;
    }

private:
    HANDLE m_handle;
};

class NamedMutex : public ContractTest {
protected:
    // The mutex handle and the last error right after its creation.
    struct Created {
        std::unique_ptr<ScopedKernelHandle> handle;
        DWORD error = 0;
    };

    static Created Create(const std::u16string& mutexName, BOOL initialOwner = FALSE) {
        platform().SetLastError(ERROR_INVALID_DATA); // stale, to see it replaced
        HANDLE handle = platform().CreateMutexW(nullptr, initialOwner, mutexName.c_str());
        Created created;
        created.error = platform().GetLastError();
        created.handle = std::make_unique<ScopedKernelHandle>(handle);
        return created;
    }

    // The program names its mutex in the global namespace.
    std::u16string name = u"Global\\QuenlathContract." + UniqueName();
};

} // namespace

TEST_F(NamedMutex, ANewNameCreatesAMutexAndClearsTheLastError) {
    Created first = Create(name);
    EXPECT_NE(nullptr, first.handle->Get());
    EXPECT_EQ(ERROR_SUCCESS, first.error);
}

TEST_F(NamedMutex, ASecondCreationOpensTheSameMutexWithAlreadyExists) {
    Created first = Create(name);
    ASSERT_NE(nullptr, first.handle->Get());
    Created second = Create(name);
    EXPECT_NE(nullptr, second.handle->Get());
    EXPECT_NE(first.handle->Get(), second.handle->Get());
    EXPECT_EQ(ERROR_ALREADY_EXISTS, second.error);
}

TEST_F(NamedMutex, AnEventOfTheSameNameMakesCreationFailWithInvalidHandle) {
    testSystem.HoldForeignEvent(name);
    Created mutex = Create(name);
    EXPECT_EQ(nullptr, mutex.handle->Get());
    EXPECT_EQ(ERROR_INVALID_HANDLE, mutex.error);
}

TEST_F(NamedMutex, TheNameIsFreeAgainOnceEveryHandleIsClosed) {
    Created first = Create(name);
    Created second = Create(name);
    ASSERT_EQ(ERROR_ALREADY_EXISTS, second.error);
    EXPECT_TRUE(first.handle->Close());
    EXPECT_TRUE(second.handle->Close());
    Created again = Create(name);
    EXPECT_NE(nullptr, again.handle->Get());
    EXPECT_EQ(ERROR_SUCCESS, again.error);
}

TEST_F(NamedMutex, NamesDifferingOnlyInCaseAreDifferentMutexes) {
    Created first = Create(name + u"-case");
    Created second = Create(name + u"-CASE");
    EXPECT_NE(nullptr, second.handle->Get());
    EXPECT_EQ(ERROR_SUCCESS, second.error);
}

TEST_F(NamedMutex, TheLocalPrefixNamesTheSameMutexAsNoPrefix) {
    std::u16string bare = u"QuenlathContract." + UniqueName();
    Created local = Create(u"Local\\" + bare);
    ASSERT_NE(nullptr, local.handle->Get());
    Created unprefixed = Create(bare);
    EXPECT_EQ(ERROR_ALREADY_EXISTS, unprefixed.error);
}

TEST_F(NamedMutex, UnnamedMutexesNeverCollide) {
    for (int i = 0; i < 2; ++i) {
        platform().SetLastError(ERROR_INVALID_DATA);
        ScopedKernelHandle mutex(platform().CreateMutexW(nullptr, FALSE, nullptr));
        EXPECT_NE(nullptr, mutex.Get());
        EXPECT_EQ(ERROR_SUCCESS, platform().GetLastError());
    }
}

TEST_F(NamedMutex, OnlyAnOwnedMutexCanBeReleasedAndOnlyOncePerOwnership) {
    Created owned = Create(name, TRUE);
    ASSERT_NE(nullptr, owned.handle->Get());
    EXPECT_TRUE(platform().ReleaseMutex(owned.handle->Get()));
    EXPECT_FALSE(platform().ReleaseMutex(owned.handle->Get()));
    EXPECT_EQ(kErrorNotOwner, platform().GetLastError());

    Created unowned = Create(name + u"-unowned", FALSE);
    EXPECT_FALSE(platform().ReleaseMutex(unowned.handle->Get()));
    EXPECT_EQ(kErrorNotOwner, platform().GetLastError());
}

TEST_F(NamedMutex, ClosingAHandleTwiceFailsWithInvalidHandle) {
    HANDLE handle = platform().CreateMutexW(nullptr, FALSE, name.c_str());
    ASSERT_NE(nullptr, handle);
    EXPECT_TRUE(platform().CloseHandle(handle));
    EXPECT_FALSE(platform().CloseHandle(handle));
    EXPECT_EQ(ERROR_INVALID_HANDLE, platform().GetLastError());
}

TEST_F(NamedMutex, AnEmptyNameMakesAnUnnamedMutex) {
    Created first = Create(u"");
    Created second = Create(u"");
    EXPECT_NE(nullptr, second.handle->Get());
    EXPECT_EQ(ERROR_SUCCESS, second.error);
}

TEST_F(NamedMutex, ABackslashAfterThePrefixNamesAMissingDirectory) {
    Created mutex = Create(name + u"\\inner");
    EXPECT_EQ(nullptr, mutex.handle->Get());
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, mutex.error);
}
