#pragma once

// A pipe between this process and a child about to be started. Both ends are close-on-exec;
// the child takes its end by dup2 onto one of its standard channels (which clears the flag on
// the copy), and the parent's end does not block.
struct ChildPipe
{
    enum class Direction { ToChild, FromChild };

    int parentEnd = -1;
    int childEnd = -1; // never 0, 1 or 2: the child's standard channels are set up before the dup2

    // Both ends are -1 when the pipe cannot be made.
    static ChildPipe open(Direction direction);
};

// Closes fd when it is open and sets it to -1.
void closeDescriptor(int &fd);
