// Brivel::Platform: an archive stored to memory and loaded back.
#include <platform/archive.h>

#include <cstdio>
#include <string>

int main()
{
    Brivel::Platform::CArchive store;
    store << int32_t{1000} << "Brivel";
    Brivel::Platform::CArchive load(store.GetData());
    const int32_t number = load.ReadInt32();
    if (number != 1000 || load.ReadString() != "Brivel") {
        std::fprintf(stderr, "platform_check: archive round trip wrong\n");
        return 1;
    }
    std::puts("platform_check: ok");
    return 0;
}
