#include "image/image.h"

download_format Image;
