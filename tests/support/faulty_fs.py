#!/usr/bin/python3
"""A FUSE file system for the tests: a folder passed through, with faults on cue.

    faulty_fs.py BACKING MOUNTPOINT [--eio NAME:START:LENGTH] [--cut NAME:AT]
                 [--flip NAME:START:LENGTH] [--garble NAME:START:LENGTH]
                 [--slow NAME:MS] [--cached]

Every file of BACKING is seen at MOUNTPOINT, read and written through. With
--eio, a read of NAME that touches bytes [START, START+LENGTH) fails with EIO,
as a bad sector under ntfs-3g or a failing FUSE daemon does. With --cut, a
read of NAME that runs across byte AT returns only the bytes before it, with
no error, as a network file system's short reply does. Files are opened with
direct_io unless --cached, so the kernel splits a large read into requests
of its own size, and a request that fails or comes back short cuts the read
short.

With --flip, the bytes of NAME in [START, START+LENGTH) that a write brings
are stored with their lowest bit flipped, as a disk that stores other bytes
than it was given does; with --garble they are stored as given and come back
flipped from every read, as a disk that returns other bytes than it holds.
With --slow, every read of NAME waits MS milliseconds first, as a slow
network or USB disk does.

It runs in the foreground until it is unmounted (umount, fusermount -u) or
killed; the tests start it under timeout -k and unmount it when they end.
Debian's python3-fusepy (libfuse 2), run as root so that no fusermount is
needed.
"""
import argparse
import errno
import os
import sys
import time

import fusepy


class Passthrough(fusepy.Operations):
    use_ns = True

    def __init__(self, backing, args):
        self.backing = backing
        self.bad = args.eio  # (name, start, end) or None
        self.cut = args.cut  # (name, at) or None
        self.flip = args.flip  # (name, start, end) or None
        self.garble = args.garble  # (name, start, end) or None
        self.slow = args.slow  # (name, seconds) or None
        self.direct = not args.cached

    def _full(self, path):
        return os.path.join(self.backing, path.lstrip("/"))

    @staticmethod
    def _flipped(rule, path, data, offset):
        """`data` at `offset`, its bytes within the rule's range flipped."""
        if rule is None or path.lstrip("/") != rule[0]:
            return data
        start = max(rule[1], offset)
        end = min(rule[2], offset + len(data))
        if start >= end:
            return data
        changed = bytearray(data)
        for at in range(start - offset, end - offset):
            changed[at] ^= 1
        return bytes(changed)

    def _fails(self, path, offset, size):
        if self.bad is None or path.lstrip("/") != self.bad[0]:
            return False
        return offset < self.bad[2] and offset + size > self.bad[1]

    def getattr(self, path, fh=None):
        st = os.lstat(self._full(path))
        keys = ("st_mode", "st_nlink", "st_uid", "st_gid", "st_size")
        found = {key: getattr(st, key) for key in keys}
        for key in ("st_atime", "st_mtime", "st_ctime"):
            found[key] = getattr(st, key + "_ns")
        return found

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(self._full(path))

    def statfs(self, path):
        sv = os.statvfs(self._full(path))
        keys = ("f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail", "f_ffree",
                "f_files", "f_flag", "f_frsize", "f_namemax")
        return {key: getattr(sv, key) for key in keys}

    def _opened(self, fi, fd):
        fi.fh = fd
        fi.direct_io = 1 if self.direct else 0
        return 0

    def open(self, path, fi):
        return self._opened(fi, os.open(self._full(path), fi.flags & ~os.O_DIRECT))

    def create(self, path, mode, fi):
        flags = os.O_WRONLY | os.O_CREAT | os.O_TRUNC
        return self._opened(fi, os.open(self._full(path), flags, mode))

    def read(self, path, size, offset, fi):
        if self._fails(path, offset, size):
            raise fusepy.FuseOSError(errno.EIO)
        if self.cut and path.lstrip("/") == self.cut[0] and offset < self.cut[1] < offset + size:
            size = self.cut[1] - offset
        if self.slow and path.lstrip("/") == self.slow[0]:
            time.sleep(self.slow[1])
        return self._flipped(self.garble, path, os.pread(fi.fh, size, offset), offset)

    def write(self, path, data, offset, fi):
        return os.pwrite(fi.fh, self._flipped(self.flip, path, data, offset), offset)

    def truncate(self, path, length, fh=None):
        os.truncate(self._full(path), length)

    def fsync(self, path, datasync, fi):
        os.fsync(fi.fh)
        return 0

    def flush(self, path, fi):
        return 0

    def release(self, path, fi):
        os.close(fi.fh)
        return 0

    def unlink(self, path):
        os.unlink(self._full(path))

    def rename(self, old, new):
        os.rename(self._full(old), self._full(new))

    def chmod(self, path, mode):
        os.chmod(self._full(path), mode)

    def chown(self, path, uid, gid):
        os.chown(self._full(path), uid, gid)

    def utimens(self, path, times=None):
        os.utime(self._full(path), ns=times)


def bad_range(text):
    name, start, length = text.rsplit(":", 2)
    return name, int(start), int(start) + int(length)


def wait(text):
    name, milliseconds = text.rsplit(":", 1)
    return name, int(milliseconds) / 1000.0


def cut_at(text):
    name, at = text.rsplit(":", 1)
    return name, int(at)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("backing")
    parser.add_argument("mountpoint")
    parser.add_argument("--eio", type=bad_range, metavar="NAME:START:LENGTH")
    parser.add_argument("--cut", type=cut_at, metavar="NAME:AT")
    parser.add_argument("--flip", type=bad_range, metavar="NAME:START:LENGTH")
    parser.add_argument("--garble", type=bad_range, metavar="NAME:START:LENGTH")
    parser.add_argument("--slow", type=wait, metavar="NAME:MS")
    parser.add_argument("--cached", action="store_true", help="no direct_io")
    args = parser.parse_args()
    operations = Passthrough(os.path.abspath(args.backing), args)
    fusepy.FUSE(operations, args.mountpoint, raw_fi=True, foreground=True, nothreads=True,
                fsname="faulty_fs")
    return 0


if __name__ == "__main__":
    sys.exit(main())
