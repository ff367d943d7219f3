#!/usr/bin/python3
"""Runs the installed Orca with its own command line, as one of several: Orca
refuses to start, or with --replace kills, while any other process of this user is
named "orca", which on a shared machine may be someone else's test. This one goes
by another name and looks for no others. Usage: run_orca.py [orca arguments]"""
import importlib.machinery
import importlib.util
import sys

ORCA = "/usr/bin/orca"
NAME = "orca-under-test"

loader = importlib.machinery.SourceFileLoader("orca_command", ORCA)
spec = importlib.util.spec_from_loader("orca_command", loader)
command = importlib.util.module_from_spec(spec)
sys.argv[0] = ORCA
loader.exec_module(command)

rename = command.setProcessName
command.setProcessName = lambda name: rename(NAME)
command.otherOrcas = lambda: []
sys.exit(command.main())
