// The art, text and sound compiled into the program.
#pragma once
