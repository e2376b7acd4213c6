#!/usr/bin/env python3
"""The layering check fails where it should: on a temporary copy of the
library folders with one wrong include or link put in."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..", ".."))
CHECK = os.path.join(ROOT, "tools", "check_layers.py")
FOLDERS = ["ownership", "settings", "media", "music", "render", "session", "config", "host", "tools", "resources", "bench"]


def run(root):
    done = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
    return done.returncode, done.stdout


class CheckLayers(unittest.TestCase):
    def setUp(self):
        self.tree = tempfile.mkdtemp(prefix="layers-")
        for folder in FOLDERS:
            shutil.copytree(os.path.join(ROOT, folder), os.path.join(self.tree, folder))

    def tearDown(self):
        shutil.rmtree(self.tree)

    def insert_after_first_include(self, relative, line):
        """Puts `line` after the file's first #include; returns its line number."""
        path = os.path.join(self.tree, relative)
        with open(path, encoding="utf-8") as f:
            lines = f.readlines()
        at = next(i for i, text in enumerate(lines) if text.startswith("#include")) + 1
        lines.insert(at, line + "\n")
        with open(path, "w", encoding="utf-8") as f:
            f.writelines(lines)
        return at + 1

    def test_the_copy_passes_as_it_is(self):
        code, out = run(self.tree)
        self.assertEqual(code, 0, out)

    def test_an_upward_include_fails_naming_file_and_line(self):
        line = self.insert_after_first_include("media/photo_fit.h", '#include "session/slideshow_session.h"')
        code, out = run(self.tree)
        self.assertEqual(code, 1)
        self.assertIn(f"media/photo_fit.h:{line}: includes session/slideshow_session.h, not below media", out)

    def test_the_product_never_includes_a_benchmark(self):
        line = self.insert_after_first_include("host/saver_host.cpp", '#include "bench/anything.h"')
        code, out = run(self.tree)
        self.assertEqual(code, 1)
        self.assertIn(f"host/saver_host.cpp:{line}: includes bench/anything.h, not below host", out)

    def test_a_sibling_include_fails(self):
        line = self.insert_after_first_include("render/render_frame.cpp", '#include "music/music_player.h"')
        code, out = run(self.tree)
        self.assertEqual(code, 1)
        self.assertIn(f"render/render_frame.cpp:{line}: includes music/music_player.h, not below render", out)

    def test_a_lower_include_without_its_link_fails(self):
        # music_rules.cpp is built into brindora_music_pure, which links nothing.
        line = self.insert_after_first_include("music/music_rules.cpp", '#include "settings/settings_path.h"')
        code, out = run(self.tree)
        self.assertEqual(code, 1)
        self.assertIn(f"music/music_rules.cpp:{line}: includes settings/settings_path.h, outside the links", out)

    def test_an_upward_link_and_a_link_group_fail(self):
        path = os.path.join(self.tree, "settings", "CMakeLists.txt")
        with open(path, "a", encoding="utf-8") as f:
            f.write("target_link_libraries(brindora_settings_pure PUBLIC brindora_session_pure)\n")
            f.write('target_link_libraries(brindora_settings_pure PUBLIC "$<LINK_GROUP:RESCAN,a,b>")\n')
        code, out = run(self.tree)
        self.assertEqual(code, 1)
        self.assertIn("brindora_settings_pure links session, which is not below settings", out)
        self.assertIn("settings/CMakeLists.txt:1: a rescanned link group hides a cycle", out)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
