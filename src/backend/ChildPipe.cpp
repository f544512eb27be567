#include "backend/ChildPipe.h"

#include <fcntl.h>
#include <unistd.h>

ChildPipe ChildPipe::open(Direction direction)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return {};
    int &parent = direction == Direction::ToChild ? ends[1] : ends[0];
    int &child = direction == Direction::ToChild ? ends[0] : ends[1];
    if (child <= 2) {
        const int moved = ::fcntl(child, F_DUPFD_CLOEXEC, 3);
        ::close(child);
        child = moved;
    }
    if (child < 0) {
        ::close(parent);
        return {};
    }
    ::fcntl(parent, F_SETFL, ::fcntl(parent, F_GETFL) | O_NONBLOCK);
    return {parent, child};
}

void closeDescriptor(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}
