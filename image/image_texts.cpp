#include "image/image_texts.h"

#include "image/image.h"

const std::string READ_TEXT = "Read ";
const std::string FAILED_TEXT = " Failed";
const std::string BIN_FILES_ERROR_TEXT = "BIN files Error";

std::string Open_File_Error_Text(const std::string& path)
{
    return "Open file:" + path + " error!";
}

std::string Read_File_Error_Text(const std::string& path)
{
    return "Read file:" + path + " error!";
}

std::string File_Too_Large_Text(const std::string& path)
{
    return "File:" + path + " is larger than " + std::to_string(IMAGE_BUFFER_SIZE) + " bytes!";
}
