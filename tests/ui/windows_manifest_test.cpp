// The manifest of tarvenna-gui.exe as Windows reads it, and what it does to
// a program: this test program carries the same one.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

namespace {

// The folder of this program, where tarvenna-gui.exe is built too.
std::wstring ProgramFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::string ManifestOf(HMODULE module)
{
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    if (found == nullptr) return {};
    const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
    return std::string(bytes, ::SizeofResource(module, found));
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t letter : text) narrow += letter < 128 ? static_cast<char>(letter) : '?';
    return narrow;
}

class DialogProgramManifest : public ::testing::Test {
protected:
    void SetUp() override
    {
        program_ = ProgramFolder() + L"tarvenna-gui.exe";
        ACTCTXW request{};
        request.cbSize = sizeof(request);
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = program_.c_str();
        request.lpResourceName = MAKEINTRESOURCEW(1);
        // What Windows does before starting the program; a manifest it cannot
        // read keeps the program from starting at all.
        context_ = ::CreateActCtxW(&request);
        ASSERT_NE(context_, INVALID_HANDLE_VALUE) << "Windows cannot read the manifest, error " << ::GetLastError();
    }
    void TearDown() override
    {
        if (context_ != INVALID_HANDLE_VALUE) ::ReleaseActCtx(context_);
    }

    // A setting of the manifest's windowsSettings as Windows looks it up: by
    // its name in the namespace of the Windows version that brought it.
    std::string Setting(const wchar_t* space, const wchar_t* name) const
    {
        std::wstring value(64, L'\0');
        SIZE_T written = 0;
        if (!::QueryActCtxSettingsW(0, context_, space, name, value.data(), value.size(), &written)) {
            return "(not set)";
        }
        value.resize(::wcslen(value.c_str()));
        return Narrow(value);
    }

    std::wstring program_;
    HANDLE context_ = INVALID_HANDLE_VALUE;
};

TEST_F(DialogProgramManifest, IsTheOneThisTestRunsUnder)
{
    HMODULE shipped =
        ::LoadLibraryExW(program_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(shipped, nullptr);
    const std::string manifest = ManifestOf(shipped);
    ::FreeLibrary(shipped);
    EXPECT_NE(manifest.find("Tarvenna"), std::string::npos) << manifest;
    EXPECT_EQ(manifest, ManifestOf(::GetModuleHandleW(nullptr)));
}

TEST_F(DialogProgramManifest, NamesA64BitProgramThatDrawsItselfAtEachDisplaysScale)
{
    // The program's own assembly comes first in the context.
    ACTIVATION_CONTEXT_QUERY_INDEX index{1, 0};
    std::vector<char> buffer(4096);
    SIZE_T written = 0;
    ASSERT_TRUE(::QueryActCtxW(0, context_, &index, AssemblyDetailedInformationInActivationContext, buffer.data(),
                               buffer.size(), &written))
        << ::GetLastError();
    const auto* assembly = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer.data());
    const std::string identity = Narrow(assembly->lpAssemblyEncodedAssemblyIdentity);
    EXPECT_NE(identity.find("processorArchitecture=\"amd64\""), std::string::npos) << identity;

    // Per-monitor (v2) where Windows knows it, else the system's scale; a
    // setting in the wrong namespace would be passed over without a word.
    EXPECT_EQ(Setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              "PerMonitorV2, system");
    EXPECT_EQ(Setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), "true");
}

// The system's controls come from the common controls 6, the current look,
// which only a manifest asks for: without one, Windows hands out version 5.
TEST(ThisProgramsManifest, GivesItTheCurrentCommonControls)
{
    HMODULE controls = nullptr;
    ASSERT_TRUE(
        ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<LPCWSTR>(&::InitCommonControlsEx), &controls));
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(controls, path.data(), MAX_PATH));
    for (wchar_t& letter : path) letter = static_cast<wchar_t>(::towlower(letter));
    EXPECT_NE(path.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6."), std::wstring::npos) << Narrow(path);
}

} // namespace
