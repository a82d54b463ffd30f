#include "font_format.h"
#include "fonts_testing.h"

#include "debuglog/module_path.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

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
    return path_beside_module(path, size, exe_path, NoBackslash::DRIVE_ROOT,
                              {"fonts\\", file_name});
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
