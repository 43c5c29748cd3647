// The version the build was made from, where `strings` and
// `readelf -p .headcopy.version` read it in the program without running it:
// a section the program never loads, so it costs a run nothing, and retained
// ("R"), as nothing refers to it when the linker drops unused sections. The
// zero before it parts it from whatever the file holds before the section.
asm(".pushsection .headcopy.version,\"R\"\n\t.byte 0\n\t.asciz \"headcopy " HEADCOPY_VERSION "\"\n\t.popsection");
