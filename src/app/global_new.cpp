// Replacement of the program-wide operator new and delete (filled in with the allocator).
