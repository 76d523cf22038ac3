#include "shell/Application.h"

int main(int argc, char **argv)
{
    return runSalonDesk(argc, argv);
}
