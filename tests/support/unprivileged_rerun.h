#pragma once
// Root passes every permission check, so a case about permissions proves
// nothing when the tests run as root, as they do in CI. Such a case starts
//
//     if (RerunAsUnprivilegedUser()) return;
//
// As root this runs the same case again in a copy of the test program as the
// unprivileged user "nobody" (uid and gid 65534, through setpriv), records a
// failure unless it ran and passed there, and returns true. As anyone else it
// returns false and the case goes on.
bool RerunAsUnprivilegedUser();
