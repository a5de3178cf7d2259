// Entry point: runs the demo; command-line arguments are ignored.
#include "program/demo.h"

int main() {
    return demo_main();
}
