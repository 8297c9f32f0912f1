/* A small shared object for the library tests, named like a Windows
   library ("PlatformPeer.dll") as the sound peers are. */

__attribute__((visibility("default"))) int PlatformPeerAnswer(void) { return 42; }
