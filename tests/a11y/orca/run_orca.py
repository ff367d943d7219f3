#!/usr/bin/python3
"""Runs the installed Orca with its own command line, as one of several: Orca
refuses to start, or with --replace kills, while any other process of this user is
named "orca", which on a shared machine may be someone else's test. This one goes
by another name and looks for no others. Usage: run_orca.py [orca arguments]"""
import sys
import types

ORCA = "/usr/bin/orca"
NAME = "orca-under-test"

# The command's functions, without running its main yet.
command = types.ModuleType("orca_command")
command.__file__ = ORCA
sys.argv[0] = ORCA
with open(ORCA, encoding="utf-8") as file:
    exec(compile(file.read(), ORCA, "exec"), command.__dict__)

rename = command.setProcessName
command.setProcessName = lambda name: rename(NAME)
command.otherOrcas = lambda: []
sys.exit(command.main())
