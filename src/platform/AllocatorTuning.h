#pragma once

// Called first thing in main(). Image buffers are allocated on worker threads and freed on the
// main thread; glibc returns such a block to the worker's heap under that heap's lock, and while
// other work held the cores the main thread slept up to 20 ms behind a preempted worker. Blocks
// of 128 KiB and more (every decoded picture and drawn tile) get mappings of their own instead,
// whose release takes no lock. A no-op on other C libraries.
void giveLargeBlocksTheirOwnMappings();
