#include "plugin_call.h"

static_assert(sizeof(void *) == 4, "the call below is written for 32-bit x86");

// Frame: 8(%ebp) entry, 12 window, 16 path, 20 value. The stack pointer is
// restored from %ebp, which both conventions oblige the export to keep.
__attribute__((naked, noinline)) int plugins_call_entry(PluginEntry, HWND, const char *, int) {
    asm volatile("pushl %ebp\n\t"
                 "movl %esp, %ebp\n\t"
                 "pushl 20(%ebp)\n\t"
                 "pushl 16(%ebp)\n\t"
                 "pushl 12(%ebp)\n\t"
                 "call *8(%ebp)\n\t"
                 "movl %ebp, %esp\n\t"
                 "popl %ebp\n\t"
                 "ret\n\t");
}
