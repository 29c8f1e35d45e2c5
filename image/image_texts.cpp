#include "image/image_texts.h"

#include "image/image.h"
#include "ui_texts.h"

const std::string READ_TEXT = ui_text::READ;
const std::string FAILED_TEXT = ui_text::FAILED;
const std::string BIN_FILES_ERROR_TEXT = ui_text::BIN_FILES_ERROR;

std::string Open_File_Error_Text(const std::string& path)
{
    return ui_text::OPEN_FILE + path + ui_text::FILE_ERROR;
}

std::string Read_File_Error_Text(const std::string& path)
{
    return ui_text::READ_FILE + path + ui_text::FILE_ERROR;
}

std::string File_Too_Large_Text(const std::string& path)
{
    return ui_text::FILE + path + ui_text::IS_LARGER_THAN + std::to_string(IMAGE_BUFFER_SIZE) + ui_text::BYTES_END;
}
