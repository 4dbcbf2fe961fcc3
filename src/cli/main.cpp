// zubrik-cli: Zubrik's document jobs without a display.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "demo") == 0) {
        std::printf("Zubrik demo: %s\n", argc >= 3 ? argv[2] : "(no loop)");
        return 0;
    }
    std::fprintf(stderr, "usage: zubrik-cli demo LOOP.wav\n");
    return 2;
}
