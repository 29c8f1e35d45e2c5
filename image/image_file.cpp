// The image's operations of the main window: the start-up check and the load.
#include <cstdio>
#include <cstdlib>

#include "app/unit1.h"
#include "image/image.h"
#include "image/image_check.h"
#include "image/image_file_system.h"
#include "image/image_texts.h"
#include "vcl/dialogs.h"

void TForm1::Checksum(const std::string& file_name)
{
    Image_Sums sums;
    switch (Check_Image_File(file_name, sums)) {
    case Image_Check_Result::Passed:
        return;
    case Image_Check_Result::Cannot_Open:
        ShowMessage(READ_TEXT + file_name + FAILED_TEXT);
        break;
    case Image_Check_Result::Content_Fails:
        ShowMessage(BIN_FILES_ERROR_TEXT);
        break;
    }
    std::exit(0);
}

bool TForm1::Parse_File()
{
    Image.File_Name = IMAGE_FILE_NAME;
    return Initial_Array(Image.Buffer, Image.File_Name, Image.Length);
}

// buffer must hold IMAGE_BUFFER_SIZE bytes, as Image.Buffer does.
bool TForm1::Initial_Array(uint8_t* buffer, const std::string& path, int32_t& length)
{
    uint64_t size = Image_File_Size(path);
    if (size > IMAGE_BUFFER_SIZE) {
        // Refused before anything is read. Length 0 rather than the old
        // value, so that no caller can take the previous image's bytes for
        // this file.
        length = 0;
        ShowMessage(File_Too_Large_Text(path));
        return false;
    }
    length = static_cast<int32_t>(size);
    return Read_File_to_Data(path, buffer, length);
}

bool TForm1::Read_File_to_Data(const std::string& path, uint8_t* buffer, int32_t count)
{
    if (count > static_cast<int32_t>(IMAGE_BUFFER_SIZE)) {
        ShowMessage(File_Too_Large_Text(path));
        return false;
    }
    if (count < 0) {
        ShowMessage(Read_File_Error_Text(path));
        return false;
    }
    std::FILE* file = Open_Image_Stream(path);
    if (!file) {
        ShowMessage(Open_File_Error_Text(path));
        return false;
    }
    size_t wanted = static_cast<size_t>(count);
    bool complete = std::fread(buffer, 1, wanted, file) == wanted;
    if (!complete)
        ShowMessage(Read_File_Error_Text(path));
    std::fclose(file);
    return complete;
}
