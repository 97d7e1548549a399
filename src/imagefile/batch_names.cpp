#include "batch_names.h"

#include <stdio.h>
#include <string.h>

#include "frame/text_copy.h"

const char* FormatExtension(const char* formatName)
{
    if (EqualNoCase(formatName, "TIFF"))
        return ".tif";
    if (EqualNoCase(formatName, "DICOM"))
        return ".dcm";
    if (EqualNoCase(formatName, "Bitmap"))
        return ".bmp";
    return nullptr;
}

void CutThreeLetterExtension(char* name)
{
    size_t length = strlen(name);
    if (length >= 4 && name[length - 4] == '.')
        name[length - 4] = '\0';
}

bool ComposeBatchName(char* out, size_t size, const char* folder, const char* name,
                      const char* extension)
{
    if (!out || size == 0)
        return false;
    size_t folderLength = folder ? strlen(folder) : 0;
    size_t nameLength = strlen(name);
    if (nameLength >= 4 && name[nameLength - 4] == '.')
        nameLength -= 4;
    char last = folderLength ? folder[folderLength - 1] : '\\';
    const char* separator = (last == '\\' || last == '/') ? "" : "\\";
    int needed = snprintf(out, size, "%s%s%.*s%s", folder ? folder : "", separator,
                          static_cast<int>(nameLength), name, extension ? extension : "");
    return needed >= 0 && static_cast<size_t>(needed) < size;
}
