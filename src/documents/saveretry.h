// Running a save again after a cluster conflict. On a Galera cluster a save that meets another
// node's save is rolled back by the cluster (a certification conflict or a deadlock, at any
// statement including COMMIT); that is no fault: the whole save, checks included, runs again
// after a short random wait, a few times, with the busy window showing it. A lost node before
// the COMMIT was sent is the same case: nothing was committed, and the next run goes to the next
// node. Only then is the operator told that the save did not happen.
#pragma once

#include <QString>

class Connection;
class DbError;

namespace posting::saveretry {

// Whether the failure is one that a fresh run of the whole save resolves: only on a cluster.
bool isRetryable(const Connection &connection, const DbError &error);

// The operator's message when every run met a conflict.
QString exhaustedText();

class Attempts {
public:
    explicit Attempts(int maxRuns = 8);
    // After a retryable failure: waits a short random time (longer with every run), with the busy
    // window saying so, and answers whether to run again.
    bool again();
    int retries() const { return m_runs - 1; }

private:
    int m_maxRuns;
    int m_runs = 1;
};

// Every run again since the program started, for the figures of the load tests.
long long totalRetries();

} // namespace posting::saveretry
