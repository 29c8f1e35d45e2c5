#include "image_test_support.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "tools/mkimage/image_maker.h"
#include "vcl/dialogs.h"

namespace {

std::vector<std::string>* capture = nullptr;

void Capture_Box(const std::string& text)
{
    if (capture)
        capture->push_back(text);
}

} // namespace

const Bytes& Passing_Image(uint64_t size, uint64_t seed)
{
    static std::map<std::pair<uint64_t, uint64_t>, Bytes> made;
    Bytes& image = made[{size, seed}];
    if (image.empty() && !Make_Passing_Image(size, seed, image))
        ADD_FAILURE() << "the maker cannot make " << size << " bytes";
    return image;
}

void Write_File(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

void Write_Sized_File(const std::string& path, uint64_t size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    ASSERT_TRUE(sized) << path;
}

void Image_Test::SetUp()
{
    static int serial = 0;
    char temp[MAX_PATH], here[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, here), 0u);
    old_folder_ = here;
    Folder = std::string(temp) + "x7image-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    std::filesystem::remove_all(Folder);
    ASSERT_TRUE(CreateDirectoryA(Folder.c_str(), nullptr)) << Folder;
    ASSERT_TRUE(SetCurrentDirectoryA(Folder.c_str()));
    capture = &Boxes;
    ShowMessage_Hook = Capture_Box;
}

void Image_Test::TearDown()
{
    ShowMessage_Hook = nullptr;
    capture = nullptr;
    SetCurrentDirectoryA(old_folder_.c_str());
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
}
