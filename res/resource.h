#pragma once

#define IDI_VANTRY 1
#define IDI_GENERIC 2
