#pragma once

// A list of parameter sets that are modulation sources (XY controllers,
// XLFOs, envelopes, followers, MIDI sources): set k is sources
// firstSource + k x sourcesPerSet onwards and, for sets whose parameters are
// targets, owns targetsPerSet targets from firstTarget + k x targetsPerSet.
//
// Removing active set k, in one batch of the owner and one change of the
// slot controller: slots fed by the removed set's sources lose their source;
// slots aimed at its targets are cleared and later targets move down (as a
// TargetParameterSetList does); the later sets' values move down; slots fed
// by a later set's sources follow it (source lowered by sourcesPerSet). So
// every slot keeps pointing at the same source and parameter.
//
// Threading: the owner's thread (model side: main thread).

#include "modulation/ModulationMatrixOwner.h"
#include "plugin/PluginParameterSet.h"

#include <cstdint>
#include <string>

struct SourceSetNumbering {
    std::int32_t firstSource = 0;
    std::int32_t sourcesPerSet = 1;
    std::int32_t firstTarget = 0;
    std::int32_t targetsPerSet = 0;
};

// The removal, shared by every SourceParameterSetList<T>.
void removeSourceParameterSet(AbstractParameterSetList& list, std::int32_t k,
                              ModulationMatrixOwner* matrixOwner, const SourceSetNumbering& numbering);

template <class T> class SourceParameterSetList : public ParameterSetList<T> {
public:
    template <class Factory>
    SourceParameterSetList(GenericParameterOwner* owner, const std::string& name, std::int32_t maxCount,
                           Factory makeSet, ModulationMatrixOwner* matrixOwner, SourceSetNumbering numbering)
        : ParameterSetList<T>(owner, name, maxCount, makeSet), matrixOwner_(matrixOwner),
          numbering_(numbering) {}

    void removeSet(std::int32_t k) override { removeSourceParameterSet(*this, k, matrixOwner_, numbering_); }

    const SourceSetNumbering& getNumbering() const { return numbering_; }
    ModulationMatrixOwner* getMatrixOwner() const { return matrixOwner_; }

private:
    ModulationMatrixOwner* matrixOwner_;
    SourceSetNumbering numbering_;
};
