#include "Startup.h"

int main(int argc, char *argv[])
{
    return runKelvraConfig(argc, argv);
}
