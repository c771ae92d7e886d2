// A program as Windows sees it: the icon group that Explorer and the title
// bar show, and the version block of its properties, which names the
// program's own release file and its tool's title. Built with the program's
// descriptor, whose title it must name; arguments: the path of the executable
// and the release file name.
#include <windows.h>

#include <gtest/gtest.h>

#include "glyvant_version.h"
#include "tool/tool.h"

namespace {

const wchar_t* executable = L"Glyvant.exe";
const wchar_t* file_name = L"Glyvant.exe";

#pragma pack(push, 2)
struct IconGroupHeader {
    WORD reserved, type, count;
};
struct IconGroupEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bit_count;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(Resources, IconGroupOneHoldsSeven32BitImages) {
    HMODULE module = LoadLibraryExW(executable, nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, module) << "cannot load " << testing::PrintToString(std::wstring(executable));
    HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(1), (LPCWSTR)RT_GROUP_ICON);
    ASSERT_NE(nullptr, group);
    auto header = (const IconGroupHeader*)LockResource(LoadResource(module, group));
    ASSERT_NE(nullptr, header);
    EXPECT_EQ(1, header->type);
    ASSERT_EQ(7, header->count);
    auto entries = (const IconGroupEntry*)(header + 1);
    const int sizes[] = {16, 24, 32, 48, 64, 128, 256};
    for (int i = 0; i < 7; i++) {
        const IconGroupEntry& e = entries[i];
        int width = e.width ? e.width : 256;
        EXPECT_EQ(sizes[i], width);
        EXPECT_EQ(32, e.bit_count) << width;
        HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(e.id), (LPCWSTR)RT_ICON);
        ASSERT_NE(nullptr, image) << width;
        auto bitmap = (const BITMAPINFOHEADER*)LockResource(LoadResource(module, image));
        ASSERT_NE(nullptr, bitmap);
        EXPECT_EQ(width, bitmap->biWidth);
        EXPECT_EQ(32, bitmap->biBitCount);
        // Windows builds an icon from it: the group is usable, not just present.
        HICON icon = CreateIconFromResourceEx((PBYTE)bitmap, e.bytes, TRUE, 0x00030000, width,
                                              width, LR_DEFAULTCOLOR);
        EXPECT_NE(nullptr, icon) << width;
        if (icon) DestroyIcon(icon);
    }
    FreeLibrary(module);
}

// The project's version, in numbers and as text.
TEST(Resources, VersionBlockSaysTheProjectVersion) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(executable, &ignored);
    ASSERT_GT(size, 0u);
    static BYTE block[16384];
    ASSERT_LE(size, sizeof block);
    ASSERT_TRUE(GetFileVersionInfoW(executable, 0, size, block));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block, L"\\", (void**)&fixed, &length));
    const LONG major_minor = MAKELONG(GLYVANT_VERSION_MINOR, GLYVANT_VERSION_MAJOR);
    EXPECT_EQ(major_minor, (LONG)fixed->dwFileVersionMS);
    EXPECT_EQ(major_minor, (LONG)fixed->dwProductVersionMS);
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(block, L"\\StringFileInfo\\080404B0\\ProductVersion", (void**)&text, &length));
    EXPECT_STREQ(L"" GLYVANT_VERSION_TEXT, text);
    ASSERT_TRUE(VerQueryValueW(block, L"\\StringFileInfo\\080404B0\\FileDescription", (void**)&text, &length));
    EXPECT_STREQ(tool_builtin().title, text);
    ASSERT_TRUE(VerQueryValueW(block, L"\\StringFileInfo\\080404B0\\OriginalFilename", (void**)&text, &length));
    EXPECT_STREQ(file_name, text);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc > 2) executable = argv[1], file_name = argv[2];
    return RUN_ALL_TESTS();
}
