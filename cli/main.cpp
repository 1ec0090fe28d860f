#include "cli/CliApp.h"

int main(int argc, char** argv)
{
    return tavrix::cli::Main(argc, argv);
}
