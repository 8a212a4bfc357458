// Stands in for the product's command-line tool zvcl.exe in the demo payload.
#include <stdio.h>

int main()
{
    puts("zvcl: Zevrin command-line tool (stand-in)");
    return 0;
}
