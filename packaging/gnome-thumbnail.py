#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes a thumbnail of a file with GNOME's thumbnail factory, as GNOME Files
# does: the factory finds the .thumbnailer entry for the file's MIME type and
# runs its Exec line.
#   gnome-thumbnail.py FILE OUTPUT.png
import os
import sys

import gi

gi.require_version("GnomeDesktop", "3.0")
from gi.repository import GnomeDesktop, Gio  # noqa: E402

path, output = sys.argv[1], sys.argv[2]
gfile = Gio.File.new_for_path(path)
info = gfile.query_info("standard::content-type,time::modified", Gio.FileQueryInfoFlags.NONE, None)
mime = info.get_content_type()
mtime = info.get_attribute_uint64("time::modified")
uri = gfile.get_uri()
factory = GnomeDesktop.DesktopThumbnailFactory.new(GnomeDesktop.DesktopThumbnailSize.LARGE)
if not factory.can_thumbnail(uri, mime, mtime):
    sys.exit(f"the factory has no thumbnailer for {mime}")
pixbuf = factory.generate_thumbnail(uri, mime, None)
if pixbuf is None:
    sys.exit("the factory made no thumbnail")
print(f"{mime}: {pixbuf.get_width()} x {pixbuf.get_height()}")
pixbuf.savev(output, "png", [], [])
os.chmod(output, 0o644)
