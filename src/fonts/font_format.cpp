#include "font_format.h"
#include "fonts_testing.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char FONTS_FOLDER[] = "\\fonts\\";

FontsAllocator allocate_hook = nullptr;
FontsReleaser release_hook = nullptr;

} // namespace

void fonts_set_allocator(FontsAllocator allocator, FontsReleaser releaser) {
    allocate_hook = allocator;
    release_hook = releaser;
}

void *font_allocate(size_t size) {
    return allocate_hook ? allocate_hook(size) : std::malloc(size);
}

void font_release(void *memory) {
    if (release_hook)
        release_hook(memory);
    else
        std::free(memory);
}

void font_masks_convert(const unsigned char *glyphs, uint16_t *rows) {
    for (int r = 0; r < FONT_DATA_SIZE; ++r)
        rows[r] = font_mask_row(glyphs[r]);
}

bool font_path_make(char *path, size_t size, const char *exe_path, const char *file_name) {
    // Only the backslash separates; a forward slash is part of a name.
    size_t directory_length = 0;
    for (size_t i = 0; exe_path[i] != '\0'; ++i)
        if (exe_path[i] == '\\')
            directory_length = i;
    size_t folder_length = sizeof FONTS_FOLDER - 1;
    size_t name_length = std::strlen(file_name);
    if (size == 0)
        return false;
    if (directory_length >= size || folder_length >= size - directory_length ||
        name_length >= size - directory_length - folder_length) {
        path[0] = '\0';
        return false;
    }
    std::memcpy(path, exe_path, directory_length);
    std::memcpy(path + directory_length, FONTS_FOLDER, folder_length);
    std::memcpy(path + directory_length + folder_length, file_name, name_length + 1);
    return true;
}

unsigned char *font_file_read(const char *path) {
    std::FILE *file = std::fopen(path, "rb");
    if (!file)
        return nullptr;
    auto *glyphs = static_cast<unsigned char *>(font_allocate(FONT_DATA_SIZE));
    if (glyphs) {
        // A short file leaves the rest blank, never whatever the heap held;
        // an empty one is no font at all.
        std::memset(glyphs, 0, FONT_DATA_SIZE);
        if (std::fread(glyphs, 1, FONT_DATA_SIZE, file) == 0) {
            font_release(glyphs);
            glyphs = nullptr;
        }
    }
    std::fclose(file);
    return glyphs;
}
