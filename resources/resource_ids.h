// Resource numbers shared by the resource script and the program.
#pragma once
#define IDI_ZINDLE 1
#define IDC_HAND_LINK 2
