// The test dialog that holds a source and a target tree.
#pragma once

#define IDD_TREE_TEST 1500
#define IDC_TREE_TEST_SOURCE 1501
#define IDC_TREE_TEST_TARGET 1502
