#include "driver/driver.h"

int main() { runEngine(); }
