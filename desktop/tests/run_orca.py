#!/usr/bin/env python3
"""Runs Orca as the test's screen reader: run_orca.py LOG PREFS_DIR

What it speaks goes to LOG as "SPEECH OUTPUT: '...'" lines, written line by
line so the test reads them while Orca runs. Orca is started as a module, not
as the `orca` command: that command looks for other Orcas of the same user
and will not start beside one (another test's, on another display).
"""
import sys

from orca import debug

log, prefs = sys.argv[1], sys.argv[2]
debug.debugLevel = debug.LEVEL_INFO
debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = open(log, "w", buffering=1, encoding="utf-8")

from orca import orca  # noqa: E402 - after the log is set, as Orca's own launcher does

manager = orca.getSettingsManager()
manager.activate(prefs, {})
sys.path.insert(0, manager.getPrefsDir())
sys.exit(orca.main())
