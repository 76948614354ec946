# SPDX-License-Identifier: GPL-3.0-or-later
# "Rename with Quillory" in the Nautilus context menu (needs nautilus-python).
import subprocess

from gi.repository import GObject, Nautilus


class QuilloryRenameExtension(GObject.GObject, Nautilus.MenuProvider):
    def _rename(self, _item, files):
        paths = [f.get_location().get_path() for f in files]
        paths = [p for p in paths if p]
        if paths:
            # An argument list, never a shell line: file names may hold any character.
            subprocess.Popen(["quillory", *paths], start_new_session=True)

    def get_file_items(self, *args):
        # Nautilus 43 passes (files); older versions pass (window, files).
        files = args[-1]
        if not files:
            return []
        item = Nautilus.MenuItem(
            name="Quillory::RenameWithQuillory",
            label="Rename with Quillory",
            tip="Rename the selected files and folders with Quillory",
            icon="com.halvane.Quillory",
        )
        item.connect("activate", self._rename, files)
        return [item]

    def get_background_items(self, *args):
        return []
