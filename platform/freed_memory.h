#pragma once
// Handing the pages of freed memory back to the system.

// After a load that made and dropped many large temporaries (the mesh files'
// text, their parsed arrays, decoded pictures), the allocator keeps the freed
// pages resident for reuse that never comes; this returns them. Harmless and
// cheap where there is nothing to return, and a no-op where the C library
// offers no way to do it.
void ReturnFreedMemory();
